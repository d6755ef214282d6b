"""Fails the build when a public name of the qel module is missing from the API reference.

Every function, class, method and property the module exports must be documented somewhere
(an ``autofunction`` or an ``autoclass`` with its members), so a new one cannot ship unlisted.
"""
import importlib

from sphinx.util import logging

logger = logging.getLogger(__name__)


def public_names(module):
    names = []
    for name, value in vars(module).items():
        if name.startswith("_") or isinstance(value, type(module)):
            continue
        names.append(f"{module.__name__}.{name}")
        if isinstance(value, type):
            names.extend(f"{module.__name__}.{name}.{member}"
                         for member in vars(value) if not member.startswith("_"))
    return sorted(names)


def _check(app, env):
    module = importlib.import_module(app.config.reference_module)
    documented = set(env.get_domain("py").objects)
    missing = [name for name in public_names(module) if name not in documented]
    if missing:
        logger.warning("the API reference leaves out %d public name(s): %s",
                       len(missing), ", ".join(missing))


def setup(app):
    app.add_config_value("reference_module", "qel", "env")
    app.connect("env-check-consistency", _check)
    return {"parallel_read_safe": True, "parallel_write_safe": True}
