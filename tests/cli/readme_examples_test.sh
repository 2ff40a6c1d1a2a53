#!/usr/bin/env bash
# Runs every qz7ctl example of README.md, as written there, in the order written, on a fresh copy
# of demo/, with the built qz7ctl first on PATH, and checks each against the table below. The
# examples are read from the README itself (every line of a code block that starts with
# "qz7ctl "), so an example added, changed or removed there without its row here fails the test.
#
# The port examples need a router. They run only inside a network namespace of their own that
# holds nothing but loopback (`unshare -n`), where no router can answer: there they must end with
# exit status 1 and the Russian message that the router does not answer. Where no such namespace can be made they are skipped, never
# run in the machine's own namespace.
#
# Usage: readme_examples_test.sh QZ7CTL SOURCE_DIR
set -euo pipefail
qz7ctl="$(realpath "$1")"
source_dir="$(realpath "$2")"

# example (without its comment) | expected exit status | check after it ran:
#   out:TEXT   standard output holds TEXT        file:PATH=TEXT  the file holds TEXT
#   err:TEXT   standard error holds TEXT          log:TEXT        launchers.log comes to hold TEXT
#   no-router  runs under `unshare -n` only; no-router:TEXT, and its message holds TEXT
#   offline:TEXT  runs under `unshare -n` only (no network, no name look-up), standard error
#                 holds TEXT
# The demo's stand-in server launcher ends at once with status 0, so `serve` ends with it.
table=$(cat <<'TABLE'
qz7ctl list --json|0|out:"name": "Турнир"
qz7ctl show '#2'|0|out:Шаблон #2: Все против всех
qz7ctl generate 'Турнир' --fixed-weights|0|file:admin/Manual_MapRot.dspl=mp_seatown
qz7ctl start-server 'Турнир'|0|log:[^4~^1Турнир_QZ7^4~+set]
qz7ctl start-client --profile Player|0|log:TeknoQZ7_Client_Launcher.exe
qz7ctl ports open|1|no-router
qz7ctl ports close|1|no-router:порты не удалены
qz7ctl ports close --igd http://192.168.1.1:5000/rootDesc.xml|1|no-router
qz7ctl export 'Турнир' -o tournament.txt|0|file:tournament.txt=Map=mp_hardhat
qz7ctl import tournament.txt --name 'Турнир 2'|0|out:#4
qz7ctl backups|0|out:ServerSetup_QZ7.cfg.20
qz7ctl serve 'Турнир'|0|err:сервер завершился сам (код выхода 0
qz7ctl serve 'Турнир' --json --restart-delay 5 --crash-limit 3 --crash-window 300|0|err:"event":"exited"
qz7ctl serve 'Турнир' --ports|1|no-router
qz7ctl serve 'Турнир' --restart-at 04:00,16:00 --restart-every 6h|0|err:следующий перезапуск по расписанию
qz7ctl status --json|3|out:"running": false
qz7ctl log -n 50|0|out:сервер завершился сам (код выхода 0
qz7ctl restart|3|out:не запущен
qz7ctl stop|3|out:не запущен
qz7ctl serve 'Турнир' --restart-at 04:00 --restart-when-empty --warn-before 5m,1m|0|err:сервер завершился сам (код выхода 0
qz7ctl serve 'Турнир' --on-hang alert --health-interval 60s --query-port 27016|0|err:сервер завершился сам (код выхода 0
qz7ctl players|1|offline:Состояние сервера не получено
qz7ctl players --query-port 27016|1|offline:Состояние сервера не получено
qz7ctl ports status|1|no-router
qz7ctl ports status --json --igd http://192.168.1.1:5000/rootDesc.xml|1|no-router
qz7ctl firewall status|1|err:брандмауэра Windows на этой системе нет, ничего не сделано
qz7ctl firewall open|1|err:брандмауэра Windows на этой системе нет, ничего не сделано
qz7ctl firewall close --no-prompt|1|err:брандмауэра Windows на этой системе нет, ничего не сделано
qz7ctl notify-test https://discord.com/api/webhooks/ID/TOKEN|1|offline:не доставлено: имя узла не найдено
qz7ctl serve 'Турнир' --notify-file alerts.txt|0|offline:не доставлены (событий:
qz7ctl serve 'Турнир' --notify https://example.org/qz7 --notify-format json|0|offline:https://example.org/*** не доставлены
qz7ctl service install 'Турнир' --restart-at 04:00 --notify-file alerts.txt --print|0|out:ExecStart=
qz7ctl service install 'Турнир' --notify-file alerts.txt|0|out:systemctl
qz7ctl serve|0|offline:не доставлены (событий:
qz7ctl service list|0|out:по настройкам qz7-serve.ini
qz7ctl service remove|0|out:удалена
TABLE
)

# Examples that cannot be checked here, each with its reason (none at present).
declare -A not_run=()

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$source_dir/demo" "$work/game"
mkdir "$work/bin"
ln -s "$qz7ctl" "$work/bin/qz7ctl"
export PATH="$work/bin:$PATH"
unset QZ7_STAND_IN
# The alert examples' address file, readable by its owner only, and the service examples' units
# in a folder of the test, where qz7ctl writes them and prints the systemctl commands instead of
# running them.
printf '%s\n' 'https://discord.com/api/webhooks/0/readme-example' >"$work/game/alerts.txt"
chmod 600 "$work/game/alerts.txt"
export QZ7_SERVICE_DIR="$work/units"

# The README's examples: lines of fenced or indented code blocks starting with "qz7ctl ", without
# their comment (a "#" that begins a word outside quotes, as the shell reads it).
mapfile -t examples < <(awk '
    function withoutComment(line,    i, c, quote, out) {
        quote = ""
        for (i = 1; i <= length(line); i++) {
            c = substr(line, i, 1)
            if (quote == "" && c == "#" && (i == 1 || substr(line, i - 1, 1) ~ /[ \t]/)) break
            if (quote == "" && (c == "\047" || c == "\"")) quote = c
            else if (c == quote) quote = ""
            out = out c
        }
        sub(/[ \t]+$/, "", out)
        return out
    }
    /^[ \t]*```/ { fenced = !fenced; next }
    fenced || /^    / {
        line = $0
        sub(/^[ \t]+/, "", line)
        if (line ~ /^qz7ctl /) print withoutComment(line)
    }' "$source_dir/README.md")
[ "${#examples[@]}" -gt 0 ] || { echo "no qz7ctl examples found in README.md" >&2; exit 1; }

namespace_works=0
unshare -n true 2>/dev/null && namespace_works=1

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}
declare -A seen=()
for example in "${examples[@]}"; do
    seen["$example"]=1
    failures_before=$failures
    row="$(awk -F'|' -v e="$example" '$1 == e' <<<"$table")"
    if [ -z "$row" ]; then
        fail "README example without a row in this test: $example"
        continue
    fi
    status="$(cut -d'|' -f2 <<<"$row")"
    expectation="$(cut -d'|' -f3- <<<"$row")"
    if [ -n "${not_run[$example]:-}" ]; then
        echo "not run: $example (${not_run[$example]})"
        continue
    fi
    runner=()
    if [ "${expectation%%:*}" = no-router ] || [ "${expectation%%:*}" = offline ]; then
        if [ "$namespace_works" -eq 0 ]; then
            echo "skipped: $example (no network namespace can be made here)"
            continue
        fi
        runner=(unshare -n)
    fi
    set +e
    (cd "$work/game" && timeout 120 "${runner[@]}" bash -c "$example") \
        >"$work/out" 2>"$work/err"
    actual=$?
    set -e
    if [ "$actual" != "$status" ]; then
        fail "$example: exit status $actual, expected $status"
        cat "$work/err" >&2
        continue
    fi
    case "$expectation" in
    out:*)
        grep -qF -- "${expectation#out:}" "$work/out" ||
            fail "$example: output lacks ${expectation#out:}" ;;
    err:*)
        grep -qF -- "${expectation#err:}" "$work/err" ||
            fail "$example: error output lacks ${expectation#err:}" ;;
    offline:*)
        grep -qF -- "${expectation#offline:}" "$work/err" ||
            fail "$example: error output lacks ${expectation#offline:}" ;;
    file:*)
        wanted="${expectation#file:}"
        grep -qF -- "${wanted#*=}" "$work/game/${wanted%%=*}" 2>/dev/null ||
            fail "$example: ${wanted%%=*} lacks ${wanted#*=}" ;;
    log:*)
        # The launcher starts detached; give it up to 20 seconds to write its log.
        for _ in $(seq 200); do
            grep -qF -- "${expectation#log:}" "$work/game/launchers.log" 2>/dev/null && break
            sleep 0.1
        done
        grep -qF -- "${expectation#log:}" "$work/game/launchers.log" 2>/dev/null ||
            fail "$example: launchers.log lacks ${expectation#log:}" ;;
    no-router*)
        # The last line of the error output says, in Russian, that no router answered.
        tail -n 1 "$work/err" | grep -qF "роутер не отвечает" ||
            fail "$example: no \"no router\" message: $(tail -n 1 "$work/err")"
        [ "$expectation" = no-router ] || tail -n 1 "$work/err" | grep -qF "${expectation#no-router:}" ||
            fail "$example: the message lacks ${expectation#no-router:}" ;;
    esac
    [ "$failures" -gt "$failures_before" ] || echo "ok: $example"
done

# The README's menu entry for one's own game folder starts the installed program as the package's
# own entry does, with the folder in Path=.
entry="$(awk '/^```ini$/ { inside = 1; next } /^```$/ { inside = 0 } inside' "$source_dir/README.md")"
grep -qx '\[Desktop Entry\]' <<<"$entry" || fail "README: no [Desktop Entry] example"
grep -qx 'Path=/.*' <<<"$entry" || fail "README: the menu entry example has no Path="
for key in Type Exec Icon; do
    line="$(grep -m1 "^$key=" "$source_dir/resources/linux/qz7manager.desktop")"
    grep -qxF "$line" <<<"$entry" || fail "README: the menu entry example lacks $line"
done

while IFS='|' read -r example _; do
    [ -n "${seen[$example]:-}" ] || fail "row for an example the README no longer has: $example"
done <<<"$table"

echo "${#examples[@]} README examples, $failures failed"
[ "$failures" -eq 0 ]
