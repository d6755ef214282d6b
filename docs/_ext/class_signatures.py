"""Shows a class by the arguments its constructor takes.

pybind11 documents a constructor as ``__init__(self: qel.Point2D, x: float, y: float, /)``;
autodoc takes that for the class's signature, ``self`` and all, where a reader calls
``Point2D(x, y)``.
"""
import re

SELF = re.compile(r"\(self(?:: [\w.]+)?(?:, |\))")


def _drop_self(app, what, name, obj, options, signature, return_annotation):
    if what != "class" or not signature:
        return None
    return SELF.sub("(", signature, count=1).replace("(/)", "()"), return_annotation


def setup(app):
    app.connect("autodoc-process-signature", _drop_self)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
