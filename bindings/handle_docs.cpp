#include "bindings/handle_docs.hpp"

#include <deque>

namespace qel {

namespace {

const char* keep(std::string text) {
    static std::deque<std::string> texts;
    texts.push_back(std::move(text));
    return texts.back().c_str();
}

}  // namespace

const char* keepDoc(std::string text) {
    return keep(std::move(text));
}

const char* layerDoc(const HandleDoc& h) {
    return keep("Puts the " + h.noun + " on a layer: higher layers are drawn above lower ones.\n\n"
                "Within a layer, the object created first is on top. The same as qel.setLayer(" + h.var +
                ".id, layer).\n\nArgs:\n    layer (int): the layer, a 32-bit int; every object starts on layer 0.\n\n"
                "Returns:\n    None\n\nRaises:\n    RuntimeError: before qel.init(), or once it is removed.\n"
                "    TypeError: when layer is not an int of 32 bits.\n\nExample:\n" + h.create + "    >>> " + h.var +
                ".setLayer(3)\n    >>> " + h.var + ".remove()\n    True\n");
}

const char* removeDoc(const HandleDoc& h) {
    return keep("Removes the " + h.noun + " from the scene; the handle then controls nothing.\n\n"
                "Returns:\n    bool: True when it was in the scene, False when it was already removed.\n\n"
                "Raises:\n    RuntimeError: before qel.init().\n\nExample:\n" + h.create + "    >>> " + h.var +
                ".remove()\n    True\n    >>> " + h.var + ".remove()\n    False\n");
}

const char* colourDoc(const HandleDoc& h, const std::string& colour) {
    return keep("Recolours the " + h.noun + ".\n\nArgs:\n"
                "    color (str | tuple | int): the new colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name\n"
                "        such as 'red', (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.\n\n"
                "Returns:\n    None\n\nRaises:\n    RuntimeError: before qel.init(), or once it is removed.\n"
                "    ValueError: when color is not a colour.\n\nExample:\n" + h.create + "    >>> " + h.var +
                ".setColor(" + colour + ")\n    >>> " + h.var + ".remove()\n    True\n");
}

}  // namespace qel
