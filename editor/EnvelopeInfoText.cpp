#include "editor/EnvelopeInfoText.h"

#include "ir/IRLibraryPaths.h"

#include "ir/IRData.h"
#include "ir/IRDescription.h"
#include "toolkit/CDrawContext.h"

#include <cstdio>
#include <cstring>

namespace envelopeinfo {

namespace {

constexpr int kSmallSize = 12;
constexpr int kLargeSize = 18;

void drawLine(CDrawContext* context, const std::string& text, int size, const CRect& box)
{
    context->setFont(kUIGothicFont, size, kBoldFace);
    context->drawString(text.c_str(), box, false, kLeftText);
}

} // namespace

Lines linesFor(const ir::IRData& ir, const char* dataFolder)
{
    return linesFor(ir.description(), ir.rebuildIndicator() != 0, dataFolder);
}

Lines linesFor(const ir::IRDescription& ir, bool highlighted, const char* dataFolder)
{
    Lines lines;
    std::string folder;
    std::string name;
    ir::splitPath(ir.path, &folder, &name);
    const bool local = ir::isInLocalFolder(ir.path, dataFolder);

    lines.folder = folder;
    if (!local)
        lines.folder += kOuterFolderMark;
    lines.name = name;
    lines.textColour = highlighted ? kHighlightColour : kPlainColour;
    lines.folderColour = highlighted ? kHighlightColour : (local ? kPlainColour : kOuterFolderColour);

    const ir::IRFileInfo& info = ir.fileInfo;
    char text[96];
    // Integer samples show their declared resolution, floats their width.
    if (ir::isFloatEncoding(info.encoding))
        std::snprintf(text, sizeof text, "%d %dbit float", static_cast<int>(info.sampleRate),
                      static_cast<int>(info.usedBits));
    else
        std::snprintf(text, sizeof text, "%d %dbit", static_cast<int>(info.sampleRate),
                      static_cast<int>(info.declaredBits));
    lines.format = text;
    const double seconds = info.sampleRate > 0 ? static_cast<double>(ir.rawFrameCount) / info.sampleRate : 0.0;
    std::snprintf(text, sizeof text, "%s %.3lfsec", info.channels == 1 ? "Mono" : "Stereo", seconds);
    lines.length = text;
    return lines;
}

void drawEnvelopeInfoText(CDrawContext* context, const CRect& view, const ir::IRDescription& ir, bool highlighted,
                          const char* dataFolder)
{
    const int left = view.left;
    const int top = view.top;
    const int right = view.right;

    if (!ir.loaded()) {
        context->setFontColor(kPlainColour);
        drawLine(context, kNotLoadedText, kLargeSize, CRect(left + 20, top + 8, right - 10, top + 27));
        drawLine(context, kPromptText, kSmallSize, CRect(left + 20, top + 26, right - 10, top + 39));
        return;
    }

    const Lines lines = linesFor(ir, highlighted, dataFolder);
    context->setFontColor(lines.folderColour);
    drawLine(context, lines.folder, kSmallSize, CRect(left + 20, top + 8, right - 10, top + 21));
    context->setFontColor(lines.textColour);
    drawLine(context, lines.format, kSmallSize, CRect(left + 20, top + 21, left + 120, top + 34));
    drawLine(context, lines.length, kSmallSize, CRect(left + 20, top + 34, left + 120, top + 47));
    drawLine(context, lines.name, kLargeSize, CRect(left + 120, top + 21, right - 10, top + 47));
}

} // namespace envelopeinfo
