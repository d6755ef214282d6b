"""Writes the examples gallery page from the example scripts present.

For every ``examples/NAME.py`` (but ``capture.py`` and helpers whose names start with ``_``)
the page shows the title and first paragraph of its module docstring, its screenshot
``_gallery/NAME.png`` (written by ``examples/capture.py``, which ``scripts/docs.sh`` runs) and
the command that runs it. The page is generated into the source folder and never committed.
"""
import ast
import os
import re

HEADER = """\
Examples gallery
================

Each example is a small game or toy written against the public API only. The pictures are
taken by running every example headless (``examples/capture.py``) as part of the
documentation build, so they show what the current code draws.
"""


def example_names(folder):
    if not os.path.isdir(folder):
        return []
    return sorted(name[:-3] for name in os.listdir(folder)
                  if name.endswith(".py") and not name.startswith("_") and name != "capture.py")


def title_and_summary(name, docstring):
    """A one-line first paragraph is the title; otherwise the title comes from the file name."""
    paragraphs = [p.strip() for p in re.split(r"\n\s*\n", docstring or "") if p.strip()]
    fallback = name.replace("_", " ").capitalize()
    if not paragraphs:
        return fallback, ""
    first = paragraphs[0]
    if "\n" not in first and len(paragraphs) > 1 and len(first) <= 60:
        return first.rstrip("."), paragraphs[1]
    return fallback, first


def _escape(text):
    # Prose from docstrings keeps ``literals`` but must not open stray emphasis or substitutions.
    return re.sub(r"([*|])", r"\\\1", " ".join(text.split()))


def render(folder):
    parts = [HEADER]
    names = example_names(folder)
    if not names:
        parts.append("\nNo examples are present in ``examples/`` yet.\n")
    for name in names:
        with open(os.path.join(folder, name + ".py"), encoding="utf-8") as f:
            docstring = ast.get_docstring(ast.parse(f.read()))
        title, summary = title_and_summary(name, docstring)
        title = _escape(title)
        parts.append(f"\n.. _example-{name}:\n\n{title}\n{'-' * len(title)}\n\n")
        if summary:
            parts.append(_escape(summary) + "\n\n")
        parts.append(f".. image:: _gallery/{name}.png\n   :alt: {name}.py, as captured\n\n")
        parts.append("Run it after a build:\n\n.. code-block:: bash\n\n"
                     f"   PYTHONPATH=build /usr/bin/python3 examples/{name}.py\n")
    return "".join(parts)


def _write_page(app):
    page = os.path.join(app.srcdir, "gallery.rst")
    text = render(app.config.gallery_examples_dir)
    old = None
    if os.path.exists(page):
        with open(page, encoding="utf-8") as f:
            old = f.read()
    if text != old:  # an unchanged page keeps its time stamp, so Sphinx need not read it again
        with open(page, "w", encoding="utf-8") as f:
            f.write(text)


def setup(app):
    app.add_config_value("gallery_examples_dir", "", "env")
    app.connect("builder-inited", _write_page)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
