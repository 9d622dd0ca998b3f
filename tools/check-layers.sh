#!/usr/bin/env bash
# Fails when an include runs upward between the plug-in's folders:
# - core/ includes no plug-in format (vst/, vst3/, shell/, lv2/) and no editor;
# - engine/, ir/, params/, platform/ and toolkit/ include no plug-in format,
#   no shell, no editor and no core;
# - the shells (shell/, lv2/, vst3plugin/) include nothing of each other.
set -u
cd "$(dirname "$0")/.."
status=0
forbid() { # folder, pattern of include paths, reason
  local hits
  hits=$(grep -rnE "^#include \"($2)/" "$1" --include='*.h' --include='*.cpp' --include='*.inc' 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "$1 must not include $2 ($3):"
    echo "$hits"
    status=1
  fi
}
forbid core 'vst|vst3|vst3plugin|shell|lv2|editor|toolkit' "the reverb has no format and no editor"
for lower in engine ir params platform toolkit; do
  forbid "$lower" 'vst|vst3|vst3plugin|shell|lv2|editor|core' "a lower layer"
done
forbid lv2 'shell|vst3plugin' "each shell stands alone"
forbid shell 'lv2|vst3plugin' "each shell stands alone"
forbid vst3plugin 'shell|lv2' "each shell stands alone"
[ $status -eq 0 ] && echo "layers: every include runs downward"
exit $status
