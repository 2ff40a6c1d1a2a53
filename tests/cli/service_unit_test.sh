#!/usr/bin/env bash
# qz7ctl service on Linux, with the units in a folder of the test (QZ7_SERVICE_DIR, where
# qz7ctl writes them and never runs systemctl): `install --print` changes nothing and prints the
# folder's settings and a unit that `systemd-analyze verify` accepts; a real install keeps the
# template and options in the folder's settings, the alert address in its private alert file and
# out of the unit; the unit's ExecStart line, read by systemd's quoting rules, serves the demo's
# stand-in on those settings in a game folder whose name needs that quoting, for a template whose
# name begins with a dash; list and remove.
#
# Usage: service_unit_test.sh QZ7CTL SOURCE_DIR
set -euo pipefail
qz7ctl="$(realpath "$1")"
source_dir="$(realpath "$2")"
command -v systemd-analyze >/dev/null || { echo "systemd-analyze is missing (package systemd)"; exit 77; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
game="$work/игра 50% \$HOME \"x\""
cp -r "$source_dir/demo" "$game"
export QZ7_SERVICE_DIR="$work/units"
# A clan-style name: it begins with a dash.
template='-=RUS=- Дуэли'
"$qz7ctl" --game-dir "$game" export 'Турнир' -o "$work/template.txt"
"$qz7ctl" --game-dir "$game" import "$work/template.txt" --name "$template" >/dev/null
secret=SeCrEt-ToKeN-7
url="http://127.0.0.1:9/api/webhooks/1/$secret"
failures=0
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }

# --print: the settings, the unit and the commands, nothing written.
"$qz7ctl" --game-dir "$game" service install --restart-delay 0.05 --notify "$url" --print \
    -- "$template" >"$work/printed"
[ ! -e "$QZ7_SERVICE_DIR" ] || fail "--print wrote $QZ7_SERVICE_DIR"
[ ! -e "$game/qz7-serve.ini" ] && [ ! -e "$game/qz7-serve.alerts" ] || fail "--print wrote settings"
grep -qxF "Template=$template" "$work/printed" && grep -qx "RestartDelay=0.05" "$work/printed" ||
    fail "the printed settings lack the template or the option"
unit_path="$(grep -m 1 '^# .*\.service$' "$work/printed" | sed 's/^# //')"
name="$(basename "$unit_path" .service)"
[[ "$name" =~ ^qz7-serve-igra-50-home-x-[0-9a-f]{8}$ ]] || fail "unit name $name"
mkdir "$work/printed-unit"
sed -n "\|^# $unit_path\$|,/^# затем:/p" "$work/printed" | sed '1d;$d' \
    >"$work/printed-unit/$name.service"
grep -q 'systemctl.* enable --now '"$name"'.service' "$work/printed" || fail "no enable command"
grep -qF "$secret" "$work/printed" && fail "the printed output holds the secret"
if ! systemd-analyze verify "$work/printed-unit/$name.service" 2>"$work/verify"; then
    fail "systemd-analyze verify refused the unit"
    cat "$work/verify" >&2
fi

# A real install into QZ7_SERVICE_DIR.
"$qz7ctl" --game-dir "$game" service install --restart-delay 0.05 --notify "$url" \
    -- "$template" >"$work/installed" || fail "install failed"
[ -f "$QZ7_SERVICE_DIR/$name.service" ] || fail "no unit written"
diff -qB "$QZ7_SERVICE_DIR/$name.service" "$work/printed-unit/$name.service" >/dev/null ||
    fail "the unit differs from the printed one"
grep -qF "systemctl" "$work/installed" || fail "the commands to run are not shown"
grep -qxF "Template=$template" "$game/qz7-serve.ini" || fail "the template is not in the settings"
alert_file="$game/qz7-serve.alerts"
[ "$(stat -c %a "$alert_file")" = 600 ] || fail "alert file mode $(stat -c %a "$alert_file")"
grep -qxF "$url" "$alert_file" || fail "alert file lacks the address"
grep -rqF "$secret" "$QZ7_SERVICE_DIR" "$work/installed" "$game/qz7-serve.ini" &&
    fail "the secret left the alert file"

# ExecStart as systemd reads it: double-quoted words, \\ and \" escaped, %% and $$ doubled.
mapfile -d '' exec_start < <(python3 - "$QZ7_SERVICE_DIR/$name.service" <<'PYTHON'
import sys
line = next(l for l in open(sys.argv[1], encoding="utf-8") if l.startswith("ExecStart="))
line = line[len("ExecStart="):].rstrip("\n")
words, i = [], 0
while i < len(line):
    if line[i] == " ":
        i += 1
        continue
    assert line[i] == '"', line[i:]
    i += 1
    word = ""
    while line[i] != '"':
        if line[i] == "\\":
            i += 1
        word += line[i]
        i += 1
    i += 1
    words.append(word.replace("%%", "%").replace("$$", "$"))
sys.stdout.write("\0".join(words) + "\0")
PYTHON
)
[ "${exec_start[2]}" = "$game" ] || fail "--game-dir is ${exec_start[2]}"
[ "${exec_start[-1]}" = serve ] || fail "ExecStart does not end with serve: ${exec_start[*]}"
(cd "$work" && QZ7_STAND_IN=clean timeout 60 "${exec_start[@]}") >/dev/null 2>"$work/serve-err" ||
    fail "ExecStart ended with $?: $(cat "$work/serve-err")"
grep -qF "сервер завершился сам (код выхода 0" "$work/serve-err" || fail "serve did not serve"
grep -qF '[^4~^1Турнир_QZ7^4~+set]' "$game/launchers.log" || fail "the stand-in did not start"
grep -qF '"template": "'"$template"'"' "$game/qz7-serve.json" || fail "another template was served"
"$qz7ctl" service list >"$work/list"
grep -qF "$name" "$work/list" && grep -qF "сервер в $game по настройкам qz7-serve.ini" "$work/list" ||
    fail "list: $(cat "$work/list")"

"$qz7ctl" --game-dir "$game" service remove >/dev/null || fail "remove failed"
[ ! -e "$QZ7_SERVICE_DIR/$name.service" ] || fail "remove left the unit"
[ -e "$alert_file" ] && [ -e "$game/qz7-serve.ini" ] || fail "remove took the folder's settings"
grep -qF "Служб qz7ctl нет" <("$qz7ctl" service list) || fail "list after remove"
set +e
"$qz7ctl" --game-dir "$game" service remove >/dev/null 2>&1
[ $? -eq 1 ] || fail "removing a missing service is no failure"
set -e

[ "$failures" -eq 0 ] && echo "service unit test passed"
[ "$failures" -eq 0 ]
