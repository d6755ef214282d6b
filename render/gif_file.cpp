#include "render/gif_file.hpp"

#include <gif_lib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "render/picture_limits.hpp"

namespace orv {

namespace {

struct Bytes {
    const uint8_t* data;
    size_t size;
    size_t at;
};

int readBytes(GifFileType* gif, GifByteType* out, int wanted) {
    auto* bytes = static_cast<Bytes*>(gif->UserData);
    const size_t take = std::min(static_cast<size_t>(std::max(wanted, 0)), bytes->size - bytes->at);
    if (take != 0) {
        std::memcpy(out, bytes->data + bytes->at, take);
    }
    bytes->at += take;
    return static_cast<int>(take);
}

std::string reason(int error) {
    const char* text = GifErrorString(error);
    return text != nullptr ? text : "error " + std::to_string(error);
}

struct Closer {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// Decodes one frame's indices onto the canvas: transparent and out-of-table indices leave
// what is there, and the parts outside the canvas are dropped.
void drawFrame(GifFileType* gif, int transparent, uint32_t width, uint32_t height, std::vector<uint8_t>& canvas) {
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* colours = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (colours == nullptr) {
        throw std::runtime_error("corrupt GIF data (a frame without a colour table)");
    }
    if (desc.Width <= 0 || desc.Height <= 0) {
        return;
    }
    std::vector<GifPixelType> line(static_cast<size_t>(desc.Width));
    // Interlaced rows come in four passes: every 8th from 0, every 8th from 4, every 4th from
    // 2, every 2nd from 1.
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? kStart[pass] : 0;
        const int step = desc.Interlace ? kStep[pass] : 1;
        for (int row = start; row < desc.Height; row += step) {
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) {
                throw std::runtime_error("truncated or corrupt GIF data (" + reason(gif->Error) + ")");
            }
            const int64_t y = int64_t{desc.Top} + row;
            if (y < 0 || y >= height) {
                continue;
            }
            for (int column = 0; column < desc.Width; ++column) {
                const int64_t x = int64_t{desc.Left} + column;
                const int index = line[static_cast<size_t>(column)];
                if (x < 0 || x >= width || index == transparent || index >= colours->ColorCount) {
                    continue;
                }
                const GifColorType& c = colours->Colors[index];
                uint8_t* texel = canvas.data() + (static_cast<size_t>(y) * width + static_cast<size_t>(x)) * 4;
                texel[0] = c.Red;
                texel[1] = c.Green;
                texel[2] = c.Blue;
                texel[3] = 255;
            }
        }
    }
}

// The frame's rectangle on the canvas made transparent again.
void clearFrame(const GifImageDesc& desc, uint32_t width, uint32_t height, std::vector<uint8_t>& canvas) {
    const int64_t x0 = std::max<int64_t>(desc.Left, 0);
    const int64_t y0 = std::max<int64_t>(desc.Top, 0);
    const int64_t x1 = std::min<int64_t>(int64_t{desc.Left} + desc.Width, width);
    const int64_t y1 = std::min<int64_t>(int64_t{desc.Top} + desc.Height, height);
    for (int64_t y = y0; y < y1; ++y) {
        for (int64_t x = x0; x < x1; ++x) {
            std::memset(canvas.data() + (static_cast<size_t>(y) * width + static_cast<size_t>(x)) * 4, 0, 4);
        }
    }
}

// The canvases side by side, as near a square as the largest side allows, row by row.
ImageFrames laidOut(const std::vector<std::vector<uint8_t>>& canvases, std::vector<double> delays, uint32_t width,
                    uint32_t height, uint32_t maxSide) {
    const size_t count = canvases.size();
    size_t columns = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(count))));
    columns = std::max<size_t>(1, std::min<size_t>(columns, maxSide / width));
    const size_t rows = (count + columns - 1) / columns;
    const uint64_t sheetWidth = uint64_t{width} * std::min(columns, count);
    const uint64_t sheetHeight = uint64_t{height} * rows;
    const std::string problem = pictureSizeProblem(sheetWidth, sheetHeight, maxSide);
    if (!problem.empty()) {
        throw std::runtime_error(std::to_string(count) + " frames of " + std::to_string(width) + " by " +
                                 std::to_string(height) + " pixels together: " + problem);
    }
    ImageFrames out;
    out.image.width = static_cast<uint32_t>(sheetWidth);
    out.image.height = static_cast<uint32_t>(sheetHeight);
    out.image.rgba.assign(static_cast<size_t>(sheetWidth * sheetHeight * 4), 0);
    const size_t rowBytes = size_t{width} * 4;
    for (size_t i = 0; i < count; ++i) {
        const AtlasRect place{static_cast<uint32_t>(i % columns * width), static_cast<uint32_t>(i / columns * height),
                              width, height};
        for (uint32_t y = 0; y < height; ++y) {
            std::memcpy(out.image.rgba.data() + ((size_t{place.y} + y) * sheetWidth + place.x) * 4,
                        canvases[i].data() + y * rowBytes, rowBytes);
        }
        out.frames.push_back(place);
    }
    out.delays = std::move(delays);
    return out;
}

}  // namespace

bool isGif(const uint8_t* data, size_t size) {
    return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

ImageFrames decodeGif(const uint8_t* data, size_t size, uint32_t maxSide, bool allFrames) {
    Bytes bytes{data, size, 0};
    int error = 0;
    std::unique_ptr<GifFileType, Closer> gif{DGifOpen(&bytes, &readBytes, &error)};
    if (!gif) {
        throw std::runtime_error("corrupt GIF data (" + reason(error) + ")");
    }
    const uint32_t width = static_cast<uint32_t>(std::max(gif->SWidth, 0));
    const uint32_t height = static_cast<uint32_t>(std::max(gif->SHeight, 0));
    if (width == 0 || height == 0) {
        throw std::runtime_error("an empty image (" + std::to_string(width) + " by " + std::to_string(height) +
                                 " pixels)");
    }
    if (const std::string problem = pictureSizeProblem(width, height, maxSide); !problem.empty()) {
        throw std::runtime_error(problem);
    }
    const uint64_t framePixels = uint64_t{width} * height;
    std::vector<uint8_t> canvas(static_cast<size_t>(framePixels * 4), 0);
    std::vector<uint8_t> before;
    std::vector<std::vector<uint8_t>> canvases;
    std::vector<double> delays;
    GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR) {
            // A file cut after its last frame still shows every frame it holds.
            if (!canvases.empty() && bytes.at >= bytes.size) {
                break;
            }
            throw std::runtime_error("truncated or corrupt GIF data (" + reason(gif->Error) + ")");
        }
        if (record == TERMINATE_RECORD_TYPE) {
            break;
        }
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* extension = nullptr;
            if (DGifGetExtension(gif.get(), &code, &extension) == GIF_ERROR) {
                throw std::runtime_error("truncated or corrupt GIF data (" + reason(gif->Error) + ")");
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && extension != nullptr) {
                DGifExtensionToGCB(extension[0], extension + 1, &control);
            }
            while (extension != nullptr) {
                if (DGifGetExtensionNext(gif.get(), &extension) == GIF_ERROR) {
                    throw std::runtime_error("truncated or corrupt GIF data (" + reason(gif->Error) + ")");
                }
            }
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE) {
            continue;
        }
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            throw std::runtime_error("truncated or corrupt GIF data (" + reason(gif->Error) + ")");
        }
        // A frame may reach past the canvas, but its every pixel is decoded: a few bytes may
        // declare one of billions.
        const GifImageDesc& desc = gif->Image;
        if (const std::string problem =
                pictureSizeProblem(static_cast<uint64_t>(std::max(desc.Width, 0)),
                                   static_cast<uint64_t>(std::max(desc.Height, 0)), maxSide);
            !problem.empty()) {
            throw std::runtime_error("a frame of " + problem);
        }
        if (uint64_t{canvases.size() + 1} * framePixels > kMaxPicturePixels) {
            throw std::runtime_error("more frames than qel takes: over " + std::to_string(kMaxPicturePixels) +
                                     " pixels together");
        }
        if (control.DisposalMode == DISPOSE_PREVIOUS) {
            before = canvas;
        }
        drawFrame(gif.get(), control.TransparentColor, width, height, canvas);
        canvases.push_back(canvas);
        delays.push_back(allFrames ? control.DelayTime / 100.0 : 0.0);
        if (!allFrames) {
            break;
        }
        if (control.DisposalMode == DISPOSE_BACKGROUND) {
            // Cleared to transparent, as browsers do, rather than to the background colour.
            clearFrame(gif->Image, width, height, canvas);
        } else if (control.DisposalMode == DISPOSE_PREVIOUS) {
            canvas.swap(before);
        }
        control = GraphicsControlBlock{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    }
    if (canvases.empty()) {
        throw std::runtime_error("a GIF without frames");
    }
    if (canvases.size() == 1) {
        delays[0] = 0.0;  // a still picture
    }
    return laidOut(canvases, std::move(delays), width, height, maxSide);
}

}  // namespace orv
