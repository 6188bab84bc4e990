import sys
from pathlib import Path

# The release tests run the unpacked programs through the end-to-end harness
# and the Wine helpers of tests/e2e.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
