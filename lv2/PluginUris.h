#pragma once
// The names the LV2 world knows the reverb by: the plug-in, its editor, the
// IR file property, and the files of the bundle.

namespace lv2plugin {

// No web address is ours to hand out, so the names are URNs.
constexpr const char* kPluginUri = "urn:kestrel:talu-01-reverb";
constexpr const char* kUiUri = "urn:kestrel:talu-01-reverb:ui";
// The Live edition (zero latency) in the same bundle, with its own editor entry.
constexpr const char* kLivePluginUri = "urn:kestrel:talu-01-reverb-live";
constexpr const char* kLiveUiUri = "urn:kestrel:talu-01-reverb-live:ui";
// The IR file: a path property that hosts show with a file chooser, and the
// key under which the path is kept in the host's state.
constexpr const char* kIRFileUri = "urn:kestrel:talu-01-reverb:ir";
constexpr const char* kIRFileLabel = "IR File";

// The bundle's files; plug-in and editor share one binary.
constexpr const char* kBundleName = "KestrelReverb.lv2";
constexpr const char* kBinaryName = "KestrelReverb.so";
constexpr const char* kTurtleName = "KestrelReverb.ttl";

} // namespace lv2plugin
