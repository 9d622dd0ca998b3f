#pragma once
// The text block above the envelope plot: the IR file's folder (marked when it
// lies outside the plug-in's data folder), its rate and width, channels and
// length, and its name; or, with no IR loaded, the prompt to open or drop one.
// The texts turn to the highlight colour while the IR's rebuild indicator is set.
#include "toolkit/CColor.h"
#include "toolkit/CRect.h"

#include <string>

class CDrawContext;

namespace ir {
class IRData;
struct IRDescription;
}

namespace envelopeinfo {

constexpr CColor kPlainColour{104, 160, 182, 255};
constexpr CColor kOuterFolderColour{180, 160, 200, 255};
constexpr CColor kHighlightColour{159, 211, 245, 255};

constexpr const char* kNotLoadedText = "IR File is not loaded.";
constexpr const char* kPromptText =
    "Please click here to \"OpenFileDialog\", or Drag-Drop IR file form explorer.";
constexpr const char* kOuterFolderMark = " (outer folder)";

// The four lines as shown for a loaded IR.
struct Lines {
    std::string folder;   // with the outer-folder mark where it applies
    std::string format;   // "44100 24bit", "48000 64bit float"
    std::string length;   // "Stereo 1.600sec"
    std::string name;
    CColor folderColour;
    CColor textColour;
};
// `highlighted` while the IR's rebuild indicator is set.
Lines linesFor(const ir::IRDescription& ir, bool highlighted, const char* dataFolder);
Lines linesFor(const ir::IRData& ir, const char* dataFolder);

// Draws the block for the view whose rectangle is `view`.
void drawEnvelopeInfoText(CDrawContext* context, const CRect& view, const ir::IRDescription& ir, bool highlighted,
                          const char* dataFolder);

} // namespace envelopeinfo

