"""The installed package's __init__: loads the compiled module beside it and becomes it.

The module (``_qel.cpython-311-*.so``, whose init function is ``PyInit_qel``) is loaded under
the name ``qel`` and takes this package's place in ``sys.modules``, keeping its ``__path__`` so
that ``qel.__main__`` and ``qel.demo`` still import. Loading it here rather than letting the
import system find it turns a shared library that is not installed into an ImportError that
names the Debian package to install, instead of the dynamic loader's message.
"""
import importlib.machinery
import importlib.util
import os
import re
import sys

# The libraries the module links against, and the Debian 12 packages that ship them.
DEBIAN_PACKAGES = {
    "libvulkan.so.1": "libvulkan1",
    "libglfw.so.3": "libglfw3",
    "libX11.so.6": "libx11-6",
    "libpng16.so.16": "libpng16-16",
    "libturbojpeg.so.0": "libturbojpeg0",
    "libgif.so.7": "libgif7",
    "libfreetype.so.6": "libfreetype6",
    "libopenal.so.1": "libopenal1",
    "libsndfile.so.1": "libsndfile1",
    "libstdc++.so.6": "libstdc++6",
    "libgcc_s.so.1": "libgcc-s1",
}


def _missing_library(message):
    """The file name of the library the dynamic loader could not open, or None."""
    m = re.match(r"(\S+): cannot open shared object file", message)
    return os.path.basename(m.group(1)) if m else None


def _load():
    here = os.path.dirname(os.path.abspath(__file__))
    for suffix in importlib.machinery.EXTENSION_SUFFIXES:
        path = os.path.join(here, "_qel" + suffix)
        if os.path.isfile(path):
            break
    else:
        raise ImportError(f"qel: no compiled module _qel{importlib.machinery.EXTENSION_SUFFIXES[0]} in "
                          f"{here} for this Python ({sys.version.split()[0]}): reinstall qel for it",
                          name="qel")
    spec = importlib.util.spec_from_file_location("qel", path, submodule_search_locations=[here])
    try:
        module = importlib.util.module_from_spec(spec)
    except ImportError as error:
        library = _missing_library(str(error))
        if library is None:
            raise
        package = DEBIAN_PACKAGES.get(library)
        hint = (f"install the Debian package {package} (apt-get install {package})" if package else
                "install the Debian package that provides it (apt-file search " + library + ")")
        raise ImportError(f"qel needs the shared library {library}, which is not installed: {hint}",
                          name="qel", path=path) from None
    spec.loader.exec_module(module)
    # The import system hands out what sys.modules holds once this file has run.
    sys.modules["qel"] = module


_load()
