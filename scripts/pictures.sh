#!/usr/bin/env bash
# Draws again every picture in docs/ that the README and docs/ show, from today's code: most are
# quorlix-snapshot scenes, drawn with a Spanish date and clock; the island on a desktop (a bare
# X server and GNOME Shell's) and the settings window come from the desktop tests, which need
# Xvfb, xcompmgr, xdotool, dbus-daemon and gnome-shell. Fails, naming it, when the README
# shows a picture that nothing here draws.
#
#     scripts/pictures.sh
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/test-build.sh quorlix-snapshot test_integration
build=build/test

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen TZ=Etc/GMT+3 LANG=es_MX.UTF-8

# What the tools say goes to a log, shown when one of them fails.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log="$work/log"
failed() {
  tail -n 40 "$log"
  exit 1
}
drawn=()

# picture              scene                              scale
scenes="
hud-volume             hud-volume-tinted-notch            2
hud-charging           hud-battery-charging-filled-notch  2
hud-device-detail      hud-device-detail-three-notch      2
hud-alert              hud-alert-detail-notch             2
hud-live               hud-live-notch                     2
music-compact          music-compact                      2
music-wide-lyrics      music-wide-lyrics                  2
music-output-menu      music-output-menu                  2
page-weather           weather-page-600                   2
page-calendar          calendar-page-600                  2
page-timer             timer-page-running                 2
page-tray              tray-panel-hovered                 2
lock-info-row          lock-info-row                      2
lock-card              lock-card-playing                  2
lock-full-artwork      lock-full-artwork-lyrics           0.6667
pane-media             pane-media                         1
pane-lock-screen       pane-lock-screen                   1
pane-weather           pane-weather-day                   1
pane-agents            pane-agents-connected              1
onboarding-welcome     onboarding-welcome-open            1
onboarding-permission  onboarding-permission              1
move-offer             move-offer                         1
updates-available      updates-available                  1
"
while read -r picture scene scale; do
  [ -n "$picture" ] || continue
  "$build/tools/quorlix-snapshot" "$scene" --out "docs/$picture.png" --scale "$scale" >>"$log" 2>&1 || failed
  drawn+=("$picture")
done <<<"$scenes"

# The desktop tests write their pictures into a folder of their own; the README shows these.
shots="$work/desktop"
mkdir "$shots"
QUORLIX_SCREENSHOTS="$shots" "$build/tests/test_integration" \
  --gtest_filter='Desktop.*:SettingsWindowDesktop.*:GnomeDesktop.*X11*' >>"$log" 2>&1 || failed
for picture in island-resting island-hud island-expanded island-battery island-device \
               island-gnome settings-window settings-search; do
  if [ ! -f "$shots/$picture.png" ]; then
    echo "pictures: the desktop tests drew no $picture.png (were they skipped?)" >&2
    exit 1
  fi
  cp "$shots/$picture.png" "docs/$picture.png"
  drawn+=("$picture")
done

missing=0
# The README names them under docs/; the pages in docs/ by their names alone.
shown_pictures() {
  grep -o 'docs/[A-Za-z0-9_-]*\.png' README.md
  grep -oh '([A-Za-z0-9_-]*\.png)' docs/*.md | tr -d '()' | sed 's|^|docs/|'
}
for shown in $(shown_pictures | sort -u); do
  name=$(basename "$shown" .png)
  if [[ " ${drawn[*]} " != *" $name "* ]]; then
    echo "pictures: the README or docs/ shows $shown, which nothing here draws" >&2
    missing=1
  fi
done
exit $missing
