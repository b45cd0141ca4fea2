#!/usr/bin/env bash
# Builds the SDK's installer from a staging folder with Debian's wixl:
#   msi.sh STAGE_DIR VERSION OUTPUT.msi
# STAGE_DIR holds the SDK folder as it is installed (tools/windows/package.sh
# makes it); VERSION names the product version and the install folder, so
# that the tests can build a "newer" installer of the same files.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
stage="$(cd "$1" && pwd)" version="$2" output="$3"
work="$(mktemp -d "${TMPDIR:-/tmp}/korvex-msi-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# Windows Installer keeps only three numbers of 0-255, 0-255, 0-65535 (and
# ignores the fourth) when it compares versions.
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "msi.sh: bad version '$version'" >&2; exit 2; }

# One component per file, in folders mirroring the staging folder; the ids
# are hashes of the paths, so they are the same in every build.
(cd "$stage/.." && find "$(basename "$stage")" -type f | LC_ALL=C sort) |
  wixl-heat --prefix "$(basename "$stage")/" --directory-ref INSTALLDIR --component-group SdkFiles \
    --var var.StageDir --win64 >"$work/files.wxs"
viewer=no
[ -f "$stage/bin/KorvexViewer.exe" ] && viewer=yes
# wixl takes sources relative to the folder it runs in.
(cd "$stage" && wixl -a x64 -D Version="$version" -D StageDir=. -D Win64=yes -D HaveViewer="$viewer" \
   -o "$work/sdk.msi" "$here/KorvexSdk.wxs" "$work/files.wxs")

# A rebuild of the same version replaces the installed one too, instead of
# being installed beside it as a second product in the same folder: the
# upgrade row includes its maximum version (512, with 1: carry the features
# over), which wixl's MajorUpgrade cannot say.
# (Attributes is part of the table's key: the row is replaced.)
upgrade_code="$(msiinfo export "$work/sdk.msi" Property | tr -d '\r' | awk '$1 == "UpgradeCode" { print $2 }')"
msibuild "$work/sdk.msi" \
  -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
  -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')"

# The AddToPath feature: wixl writes no Environment table, so its row and
# the actions that apply it are added to the database here. "=-*Path" sets
# the system variable Path, removing the value again on uninstall; "[~];"
# appends to what is there.
msibuild "$work/sdk.msi" \
  -q 'CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)' \
  -q "INSERT INTO \`Environment\` (\`Environment\`, \`Name\`, \`Value\`, \`Component_\`) VALUES ('BinOnPath', '=-*Path', '[~];[INSTALLDIR]bin', 'BinOnPath')" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('RemoveEnvironmentStrings', 3300)" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('WriteEnvironmentStrings', 5200)"
mv "$work/sdk.msi" "$output"
