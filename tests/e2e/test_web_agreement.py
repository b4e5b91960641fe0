"""The page and the native korvane draw the same frames: after the same keys,
outside the knight's box, at least 98 % of the canvas's pixels agree within 8
levels per channel with the native game's client area (WebGL 2 on
SwiftShader against OpenGL on Mesa's software renderer).

Both pictures, a difference picture and the figures are kept under
<work>/agreement-web/<keys>/ (see frame_comparison.py)."""

import unittest

from frame_comparison import AgreementScenarios
from native_harness import NativeGameSession
from web_harness import WebGameSession


class AgreementTest(AgreementScenarios, unittest.TestCase):
    builds = (("native", NativeGameSession), ("web", WebGameSession))
    kept_in = "agreement-web"


if __name__ == "__main__":
    unittest.main()
