#include "bindings/scene_functions.hpp"

#include <cerrno>
#include <string>
#include <vector>

#include "bindings/color.hpp"
#include "bindings/colour_argument.hpp"
#include "bindings/number_columns.hpp"
#include "bindings/path_argument.hpp"
#include "bindings/module_state.hpp"
#include "diagnostics/device_report.hpp"
#include "render/colour_text.hpp"
#include "render/image_file.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

void loadGameObjects() {
    requireEngine().scene().add(orv::makeDemoTriangle());
}

uint32_t createTri() {
    return requireEngine().scene().add(orv::makeFullTriangle());
}

Rectangle createRectangle(double x, double y, double height, double width, const std::string& color,
                          double speed) {
    orv::OrvApp& app = requireEngine();
    const int32_t packed = orv::parseColor(color);
    // width runs along x and height along y, so the drawn area matches the handle's limits.
    const uint32_t id = app.scene().add(orv::makeRectangle(x, y, width, height, orv::opaqueColour(packed)));
    return Rectangle{id, Point2D{x, y}, height, width, speed};
}

void moveTo(uint32_t id, double x, double y) {
    requireEngine().scene().moveTo(id, x, y);
}

Circle createCircle(double x, double y, double radius, const std::string& color, double speed) {
    orv::OrvApp& app = requireEngine();
    const int32_t packed = orv::parseColor(color);
    const uint32_t id = app.scene().add(orv::makeCircle(x, y, radius, orv::opaqueColour(packed)));
    return Circle{id, Point2D{x, y}, radius, speed};
}

double deltaTime() {
    return requireEngine().frameSeconds();
}

int getWindowWidth() {
    return truncateSize(windowWidth);
}

int getWindowHeight() {
    return truncateSize(windowHeight);
}

void updateColor(uint32_t id, int32_t packedColor) {
    requireEngine().scene().setOpaqueColour(id, packedColor);
}

bool isInside(uint32_t id, double x, double y) {
    return requireEngine().picking().isInside(id, Point2D{x, y});
}

std::string getData() {
    return orv::deviceReportText();
}

void setColorById(uint32_t id, const std::string& color) {
    orv::OrvApp& app = requireEngine();
    app.scene().setOpaqueColour(id, orv::parseColor(color));
}

bool removeObject(uint32_t id) {
    return requireEngine().pictures().remove(id);
}

void setLayer(uint32_t id, int32_t layer) {
    requireEngine().scene().setLayerOf(id, layer);
}

int64_t objectAt(double x, double y) {
    return requireEngine().picking().objectAt(Point2D{x, y});
}

namespace {
struct BatchColumns {
    std::vector<uint32_t> ids;
    std::vector<double> xs;
    std::vector<double> ys;
    std::vector<int32_t> colours;
    std::vector<uint32_t> rgba;
};

// The columns a batch call reads into: kept between calls, so a call a frame allocates
// nothing, except for a batch call made by Python code that reading a column ran (an
// __iter__), which gets columns of its own rather than overwrite the outer call's.
BatchColumns keptColumns;
bool keptColumnsBusy = false;

class Scratch {
public:
    Scratch() : owner(!keptColumnsBusy) { keptColumnsBusy = true; }
    ~Scratch() {
        if (owner) keptColumnsBusy = false;
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    BatchColumns* operator->() { return owner ? &keptColumns : &own; }

private:
    bool owner;
    BatchColumns own;
};

void requireSameLength(size_t ids, size_t other, const char* name) {
    if (ids != other) {
        throw py::value_error(std::string("ids and ") + name + " differ in length (" + std::to_string(ids) + " and " +
                              std::to_string(other) + "); nothing was changed");
    }
}
}  // namespace

// The batch calls read every column before they take the engine: reading one runs Python
// code (an __index__, an __iter__), which may replace the engine.
void moveMany(py::handle ids, py::handle xs, py::handle ys) {
    Scratch c;
    readIdentifiers(ids, "ids", c->ids);
    readCoordinates(xs, "xs", c->xs);
    readCoordinates(ys, "ys", c->ys);
    requireSameLength(c->ids.size(), c->xs.size(), "xs");
    requireSameLength(c->ids.size(), c->ys.size(), "ys");
    requireEngine().scene().moveMany(c->ids.data(), c->xs.data(), c->ys.data(), c->ids.size());
}

namespace {
bool inColourSyntax(PyObject* item) {
    return PyUnicode_Check(item) || PyTuple_Check(item) || PyList_Check(item);
}

// A sequence's items, taken once (an iterator gives them only once), and whether any of them
// is in the colour syntax rather than a packed int. Text and buffers are left as they are.
struct ColourItems {
    py::object column;
    bool syntax = false;
};

ColourItems colourItems(py::handle column) {
    PyObject* c = column.ptr();
    if (PyUnicode_Check(c) || PyBytes_Check(c) || PyByteArray_Check(c) || PyObject_CheckBuffer(c)) {
        return {py::reinterpret_borrow<py::object>(column)};
    }
    py::object items = py::reinterpret_steal<py::object>(PySequence_Fast(c, "not a sequence"));
    if (!items) {
        // Not a sequence: the column reader says so.
        PyErr_Clear();
        return {py::reinterpret_borrow<py::object>(column)};
    }
    PyObject** item = PySequence_Fast_ITEMS(items.ptr());
    for (Py_ssize_t i = 0, n = PySequence_Fast_GET_SIZE(items.ptr()); i < n; ++i) {
        if (inColourSyntax(item[i])) {
            // A tuple: the items' conversions run Python code, which could change a list.
            py::object fixed = py::reinterpret_steal<py::object>(PySequence_Tuple(items.ptr()));
            if (!fixed) {
                throw py::error_already_set();
            }
            return {fixed, true};
        }
    }
    return {items};
}

// Packed ints read by the int column's rules, the other items by the colour syntax.
void readMixedColours(const py::object& items, std::vector<int32_t>& packed, std::vector<uint32_t>& out) {
    const size_t count = static_cast<size_t>(PySequence_Fast_GET_SIZE(items.ptr()));
    PyObject** item = PySequence_Fast_ITEMS(items.ptr());
    py::list ints(count);
    for (size_t i = 0; i < count; ++i) {
        ints[i] = inColourSyntax(item[i]) ? py::int_(0) : py::reinterpret_borrow<py::object>(item[i]);
    }
    readColours(ints, "colours", packed);
    out.resize(count);
    for (size_t i = 0; i < count; ++i) {
        if (!inColourSyntax(item[i])) {
            out[i] = orv::rgbaOfHex(static_cast<uint32_t>(packed[i]));
            continue;
        }
        try {
            out[i] = colourArgument(item[i]);
        } catch (const py::value_error& e) {
            throw py::value_error("colours: item " + std::to_string(i) + ": " + e.what());
        }
    }
}
}  // namespace

void updateColors(py::handle ids, py::handle colours) {
    Scratch c;
    readIdentifiers(ids, "ids", c->ids);
    const ColourItems items = colourItems(colours);
    if (items.syntax) {
        readMixedColours(items.column, c->colours, c->rgba);
        requireSameLength(c->ids.size(), c->rgba.size(), "colours");
        requireEngine().scene().setColours(c->ids.data(), c->rgba.data(), c->ids.size());
        return;
    }
    readColours(items.column, "colours", c->colours);
    requireSameLength(c->ids.size(), c->colours.size(), "colours");
    requireEngine().scene().setOpaqueColours(c->ids.data(), c->colours.data(), c->ids.size());
}

py::bytes readPixels() {
    uint32_t width = 0;
    uint32_t height = 0;
    const std::vector<uint8_t> rgba = requireEngine().readPixels(width, height);
    return py::bytes(reinterpret_cast<const char*>(rgba.data()), rgba.size());
}

void screenshot(const py::object& path) {
    // Converted first: a path object's __fspath__ may replace the engine.
    const std::string file = pathArgument(path);
    uint32_t width = 0;
    uint32_t height = 0;
    const std::vector<uint8_t> rgba = requireEngine().readPixels(width, height);
    try {
        // Encoding and writing touch no Python object; a FIFO read by the script's own thread
        // needs the interpreter meanwhile.
        py::gil_scoped_release release;
        orv::writePng(file, rgba.data(), width, height);
    } catch (const orv::FileError& e) {
        errno = e.error;
        PyErr_SetFromErrnoWithFilename(PyExc_OSError, e.filename.c_str());
        throw py::error_already_set();
    }
}

}  // namespace qel
