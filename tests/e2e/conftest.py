import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))

# The Windows build and its Wine prefix, once a session.
from wine import windows_build, wine_env  # noqa: E402,F401
