"""Gives every doctest block its own doctest group.

Sphinx runs all blocks of a page in one group and one namespace; here each block (a ``>>>``
block, a ``doctest`` directive, a ``testcode`` with the ``testoutput`` after it) gets a group of
its own, so ``doctest_global_setup`` opens a fresh engine for it and no example can lean on
what another left behind. Blocks given a group by name keep it.
"""
from docutils import nodes


def _is_test_node(node):
    if isinstance(node, nodes.doctest_block):
        return True
    return isinstance(node, (nodes.literal_block, nodes.comment)) and "testnodetype" in node


def _give_groups(app, doctree):
    docname = app.env.docname
    current = None
    for number, node in enumerate(doctree.findall(_is_test_node)):
        if node.get("groups", ["default"]) != ["default"]:
            continue
        kind = node.get("testnodetype", "doctest")
        if kind == "testoutput":
            # The output belongs to the code block before it.
            if current is not None:
                node["groups"] = [current]
            continue
        current = f"{docname}-{number}"
        node["groups"] = [current]


def setup(app):
    app.connect("doctree-read", _give_groups)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
