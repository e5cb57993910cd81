"""labgrid driver for boards whose memory controller Tessary reaches.

Importing this package registers ``TessaryDriver`` with labgrid's target factory, so an
environment file can name it (``imports: [tessary_labgrid]`` or an import in the test).
"""

from .error import TessaryError
from .driver import TessaryDriver

__all__ = ["TessaryDriver", "TessaryError"]
