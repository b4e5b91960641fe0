"""The native korvane and Korvane.exe under Wine draw the same frames: after the
same keys, outside the knight's box (its animation never stands still at the
same moment in two runs), at least 98 % of the client area's pixels agree
within 8 levels per channel.

Both pictures and a difference picture (tools/frame_agreement.py: agreeing
pixels grey, differing ones red, the knight's box dark blue) are kept under
<work>/agreement/<keys>/, with the figures in agreement.txt there."""

import unittest

from frame_comparison import AgreementScenarios
from native_harness import NativeGameSession
from wine_harness import GameSession


class AgreementTest(AgreementScenarios, unittest.TestCase):
    builds = (("native", NativeGameSession), ("wine", GameSession))
    kept_in = "agreement"


if __name__ == "__main__":
    unittest.main()
