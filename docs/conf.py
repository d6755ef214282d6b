# Sphinx configuration for qel's documentation site. Build it with `bash scripts/docs.sh`,
# which builds the module, puts it on PYTHONPATH, copies this folder into the build folder
# (so generated pages and screenshots never land in the repository) and runs the doctests.
import doctest
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
repository = os.environ.get("QEL_REPO_DIR") or os.path.dirname(here)
sys.path.insert(0, os.path.join(here, "_ext"))

project = "qel"
author = "the qel developers"
copyright = "the qel developers"

extensions = [
    "sphinx.ext.autodoc",
    "sphinx.ext.napoleon",
    "sphinx.ext.doctest",
    "doctest_groups",
    "untested_code",
    "reference_coverage",
    "free_text_types",
    "class_signatures",
    "gallery",
]

root_doc = "index"
exclude_patterns = ["_build"]
html_theme = "alabaster"
html_static_path = []
html_theme_options = {"description": "A small 2D graphics engine for Python", "fixed_sidebar": True}

# Plain `::` blocks count as Python, so untested_code catches Python written in them.
highlight_language = "python3"

autodoc_member_order = "bysource"
# A class is shown with its constructor's arguments (pybind11 documents them on __init__).
autoclass_content = "both"
autodoc_default_options = {"undoc-members": True}
napoleon_google_docstring = True
napoleon_numpy_docstring = False
napoleon_use_rtype = False

# Every example runs against a fresh offscreen engine of 320 by 240 (doctest_groups gives each
# block its own group), with the quiet mode on so that only what the example shows is printed.
doctest_global_setup = """
import qel
qel.init([], 320, 240, offscreen=True, quiet=True)
"""

# Exception messages are part of what an example promises, so they are compared too.
doctest_default_flags = doctest.ELLIPSIS | doctest.DONT_ACCEPT_TRUE_FOR_1

gallery_examples_dir = os.path.join(repository, "examples")
