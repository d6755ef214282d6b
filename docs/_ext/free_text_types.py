"""Lets the nitpicky build accept types written as prose, and nothing else unresolved.

Google-style ``Args`` and property docstrings give types as words ("sequence of int",
"colour", "0 for filled"), which napoleon turns into class references that can never resolve.
Such a reference (not a name, a lower-case word such as pybind11's ``handle``, or ``True``)
is let through as text, and so is a dotted name of another library that exists
(``os.PathLike``: the build reaches no other project's inventory). A capitalised name, or a
dotted one that names nothing (a misspelt class or function), still fails the build.
"""
import importlib
import re

CHECKED = re.compile(r"(?:[A-Z_]\w*|[A-Za-z_]\w*(?:\.\w+)+)\Z")
CONSTANTS = {"True", "False"}


def _exists_elsewhere(target, own_module):
    parts = target.split(".")
    if parts[0] == own_module:
        return False
    for cut in range(len(parts) - 1, 0, -1):
        try:
            value = importlib.import_module(".".join(parts[:cut]))
        except ImportError:
            continue
        try:
            for part in parts[cut:]:
                value = getattr(value, part)
        except AttributeError:
            return False
        return True
    return False


def _pass_prose(app, env, node, contnode):
    if node.get("refdomain") != "py" or node.get("reftype") not in ("class", "obj"):
        return None
    target = node.get("reftarget", "")
    if CHECKED.match(target) and target not in CONSTANTS and \
            not _exists_elsewhere(target, app.config.reference_module):
        return None
    return contnode


def setup(app):
    # After Sphinx's own resolvers, so real targets are found first.
    app.connect("missing-reference", _pass_prose, priority=900)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
