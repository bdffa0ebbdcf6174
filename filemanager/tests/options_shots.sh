#!/usr/bin/env bash
# Photographs the Options sheet pages in each device shape; fails when one shows an image
# strip's key colour (or does not run to its end):
#   filemanager/tests/options_shots.sh BUILD_DIR OUT_DIR
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
QUINTAR_ROOT=$root
build=$(readlink -f "$1")
out=$(realpath -m "$2")
mkdir -p "$out"
source "$root/tools/wine-env.sh"
failed=0
for profile in qvga vga square landscape; do
  size=$(profile_size "$profile")
  (
    unset DISPLAY
    start_xvfb 1024x768
    trap 'kill $XVFB_PID 2>/dev/null' EXIT
    QUINTAR_PROFILE=$profile QUINTAR_BUILD=$build timeout 120 bash "$root/tools/wine-test.sh" \
      "$build/bin/folderon_options_shots.exe" 2>/dev/null | while read -r word name; do
      [[ $word == FAILED ]] && echo "FAILED $profile-${name%$'\r'}"
      [[ $word == SHOT ]] || continue
      import -window root -crop "${size}+0+0" "$out/$profile-${name%$'\r'}.png"
    done
    exit "${PIPESTATUS[0]}"
  ) || failed=1
done
exit $failed
