import sys
from pathlib import Path

# The release tests share the helpers of tests/e2e.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))
