"""Fails the build on Python code in a page that the doctest run would not execute.

Python belongs in ``>>>`` blocks, ``doctest`` or ``testcode`` directives; a ``code-block::
python`` (or a ``::`` block while the highlight language is Python) would go stale unseen.
Literal blocks inside docstrings count only when they name Python themselves.
"""
from docutils import nodes
from sphinx import addnodes
from sphinx.util import logging

logger = logging.getLogger(__name__)

PYTHON = {"python", "python3", "py", "py3", "pycon", "pycon3", "ipython", "ipython3", "default"}


def _check(app, doctree):
    language = app.config.highlight_language
    for node in doctree.findall(lambda n: isinstance(n, (nodes.literal_block, addnodes.highlightlang))):
        if isinstance(node, addnodes.highlightlang):
            language = node["lang"]
            continue
        if "testnodetype" in node:
            continue
        explicit = node.get("language")
        from_docstring = "docstring of" in (node.source or "")
        if explicit is None and from_docstring:
            continue
        if (explicit or language) in PYTHON:
            logger.warning("Python code that no doctest runs: use a >>> block or testcode",
                           location=node)


def setup(app):
    app.connect("doctree-read", _check)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
