// Draws every editor bitmap and writes it as resources/<id>.png.
//
//   artwork_generator <resources folder> [preview.png]
//
// The bitmaps are committed; run this only when the artwork changes.
#include "Background.h"
#include "Buttons.h"
#include "GraphPanels.h"
#include "Image.h"
#include "KnobStrip.h"
#include "Layout.h"
#include "Paint.h"
#include "Preview.h"

#include <cstdio>
#include <map>
#include <memory>
#include <string>

using namespace artwork;

namespace {

Image flatPatch(int w, int h)
{
    Image patch(w, h);
    cairo_t* cr = patch.context();
    setColour(cr, kPanel);
    cairo_paint(cr);
    cairo_destroy(cr);
    return patch;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <resources folder> [preview.png]\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];

    std::map<int, std::unique_ptr<Image>> bitmaps;
    auto put = [&bitmaps](int id, Image image) { bitmaps[id] = std::make_unique<Image>(std::move(image)); };

    put(11030, drawBackground());
    const Image& panel = *bitmaps[11030];
    auto under = [&panel](Spot at, int w, int h) { return panel.crop(at.x, at.y, w, h); };

    put(132, drawGraphPanel(under(kEnvelopeGraph, 565, 180), kEnvelopePlot));
    put(131, drawGraphPanel(under(kResponseGraph, 160, 80), kResponsePlot));

    put(11021, drawKnobStrip({55, 51, false}));
    put(11020, drawKnobStrip({33, 51, false}));
    put(11022, drawKnobStrip({81, 73, true}));

    put(11033, drawKickButton(under(kFileSelect, 80, 17), "IR File Select"));
    put(11032, drawKickButton(under(kCopyToLocal, 80, 17), "Copy to Local"));
    put(11034, drawKickButton(under(kWebSearch, 81, 16), "Web Search"));
    // 41 rows: two 20-row states and one spare row that is never shown
    put(11007, drawResetButton(under(kReset, 21, 20), 41));

    put(11006, drawBypassSwitch(under(kBypass, 72, 36)));
    put(11012, drawFilterSwitch(under(kHpfSwitch, 40, 25), FilterShape::HighPass));
    put(11010, drawFilterSwitch(under(kBalSwitch, 40, 25), FilterShape::Shelf));
    put(11014, drawFilterSwitch(under(kLpfSwitch, 40, 25), FilterShape::LowPass));
    put(11015, drawBoostSwitch(under(kBoost, 52, 26)));

    // Spares in the sizes of the kick buttons and the filter switches, placed nowhere.
    put(11043, drawKickButton(flatPatch(80, 17), ""));
    put(11044, drawLedSwitch(flatPatch(40, 25)));

    int failures = 0;
    for (const auto& entry : bitmaps) {
        const std::string path = dir + "/" + std::to_string(entry.first) + ".png";
        if (!entry.second->writePng(path)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    if (argc > 2) {
        BitmapSet set;
        for (const auto& entry : bitmaps) set[entry.first] = entry.second.get();
        if (!composePreview(set).writePng(argv[2])) {
            std::fprintf(stderr, "cannot write %s\n", argv[2]);
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
