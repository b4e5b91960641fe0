"""The page and the native korvane draw the same frames: after the same keys,
outside the knight's box, at least 98 % of the canvas's pixels agree within 8
levels per channel with the native game's client area (WebGL 2 on
SwiftShader against OpenGL on Mesa's software renderer). A frame the page
draws at two device pixels per CSS pixel, brought back to 640 x 480, agrees
with the native frame too, on 95 % of the pixels within 16 levels: drawn at
full resolution and reduced, the grass's texture is sampled finer and its
speckle averages out (96.7 % measured).

Both pictures, a difference picture and the figures are kept under
<work>/agreement-web/<keys>/ (see frame_comparison.py)."""

import functools
import unittest

from browser_tab import DESKTOP, Device
from frame_comparison import AgreementScenarios
from native_harness import NativeGameSession
from web_harness import WebGameSession

# A desktop view on a screen of two device pixels per CSS pixel.
DESKTOP_2X = Device(DESKTOP.width, DESKTOP.height, 2)
# Levels per channel a frame drawn at 2x and reduced may differ by, and the
# share of pixels that must agree so.
REDUCED_TOLERANCE = 16
REDUCED_MINIMUM = 0.95


class AgreementTest(AgreementScenarios, unittest.TestCase):
    builds = (("native", NativeGameSession), ("web", WebGameSession))
    kept_in = "agreement-web"

    def test_a_frame_drawn_at_2x_and_reduced_agrees_with_the_native_frame(self):
        builds = (("native", NativeGameSession),
                  ("web-2x", functools.partial(WebGameSession, device=DESKTOP_2X)))
        self.check_agreement("right-3-at-2x", "Right", "Right", "Right", builds=builds,
                             tolerance=REDUCED_TOLERANCE, minimum=REDUCED_MINIMUM)


if __name__ == "__main__":
    unittest.main()
