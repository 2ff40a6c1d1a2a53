#!/bin/bash
# qz7ctl on a full disk: generate, export and import each say that the disk is full, with the
# file's full path, exit 1, and leave the file that was there as it was. The game folder lies on
# a tmpfs of 256 KiB in a mount namespace of this test's own (unshare -m), filled up before the
# writes. $1 is the qz7ctl program, $2 the demo game folder. Exits 77 (skipped) where no mount
# namespace can be made.
set -u
qz7ctl=$(realpath "$1")
demo=$(realpath "$2")
if [ -z "${QZ7_IN_MOUNT_NAMESPACE:-}" ]; then
    unshare -m true 2>/dev/null || { echo "full_disk: SKIPPED: no mount namespace here" >&2; exit 77; }
    QZ7_IN_MOUNT_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$qz7ctl" "$demo"
fi
fail() { echo "full_disk: FAILED: $*" >&2; exit 1; }

disk=$(mktemp -d)
logs=$(mktemp -d)  # off the full disk
trap 'cd /; umount "$disk" 2>/dev/null; rmdir "$disk"; rm -rf "$logs"' EXIT
mount -t tmpfs -o size=256k tmpfs "$disk" || { echo "full_disk: SKIPPED: cannot mount" >&2; exit 77; }
game="$disk/Игра"
mkdir -p "$game/admin"
cp "$demo/admin/Manual_Mod_default.dsr" "$demo/admin/server_mod_default.cfg" "$game/admin/"
cd "$game" || fail "no game folder"
{
    echo "Name=Турнир"
    for pair in "GameMode=все против всех" MaxHealth=50 Hardcore=0 ScoreLimit=5000 TimeLimit=15 \
        FriendlyFire=1 NoUnderbarrel=1 KillCam=1 NoDefaultClasses=0 Password= Perks=1 \
        ThirdPerson=0 CustomClasses=1 HeadshotsOnly=0 RadarAlwaysOn=0 Killstreaks=1 Lives=0 \
        Spectator=1 HealthRegen=5 MaxPlayers=12 "CommandLine=+set dedicated 2" Map=mp_dome; do
        echo "$pair"
    done
} >template.txt
# Two records, so that a third no longer fits the store's last 4 KiB block: an import appends,
# and a record that fits the space the store already has needs no room on the disk.
for _ in 1 2; do
    "$qz7ctl" import template.txt >/dev/null 2>&1 || fail "import before the disk was full"
done
for file in admin/Manual_Mod.dsr admin/Manual_MapRot.dspl admin/server_mod.cfg out.txt; do
    echo old >"$file"
done
cp ServerSetup_QZ7.cfg "$logs/store"
dd if=/dev/zero of="$disk/filler" bs=4k >/dev/null 2>&1  # until the disk is full

expect_full_disk() {  # <what the command wrote> <file it must name> <file that must stay>
    [ "$1" -eq 1 ] || fail "$3: exit $1, not 1: $(cat "$logs/err")"
    grep -qF "Не удалось записать файл $game/$2: на диске нет места" "$logs/err" ||
        fail "$3: the reason is not the full disk: $(cat "$logs/err")"
}
"$qz7ctl" generate '#1' --fixed-weights 2>"$logs/err" >/dev/null
expect_full_disk $? admin/Manual_Mod.dsr generate
for file in admin/Manual_Mod.dsr admin/Manual_MapRot.dspl admin/server_mod.cfg; do
    [ "$(cat "$file")" = old ] || fail "generate changed $file"
done
"$qz7ctl" export '#1' -o out.txt 2>"$logs/err" >/dev/null
expect_full_disk $? out.txt export
[ "$(cat out.txt)" = old ] || fail "export changed out.txt"
"$qz7ctl" import template.txt 2>"$logs/err" >/dev/null
expect_full_disk $? ServerSetup_QZ7.cfg import
cmp -s ServerSetup_QZ7.cfg "$logs/store" || fail "import changed the store"
echo "full_disk: generate, export and import report the full disk"
