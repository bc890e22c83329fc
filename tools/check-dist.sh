#!/usr/bin/env bash
# Checks a release zip: hostkit-VERSION/ holds exactly the DLL the tests ran (byte for byte), whose version resource
# reports VERSION; README.txt and CHANGELOG.md name VERSION; SHA256SUMS covers every file; commands.html renders
# every table of docs/commands.md as a table; and every link and picture of commands.html resolves to a file inside
# the zip (or to an id of the page itself).
#   tools/check-dist.sh hostkit-VERSION.zip TESTED-hostkit.dll
set -euo pipefail
zip=$(realpath "${1:?release zip}") tested=${2:?the hostkit.dll that the tests ran}
windres=${WINDRES:-i686-w64-mingw32-windres}
fail() { echo "check-dist: $*" >&2; exit 1; }

[[ $(basename "$zip") =~ ^hostkit-([0-9]+\.[0-9]+\.[0-9]+)\.zip$ ]] || fail "not named hostkit-VERSION.zip: $zip"
version=${BASH_REMATCH[1]}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && cmake -E tar xf "$zip") || fail "cannot unpack $zip"
[ "$(ls -A "$tmp")" = "hostkit-$version" ] || fail "the zip's top level is not the one folder hostkit-$version"
top=$tmp/hostkit-$version

for file in hostkit.dll commands.html README.txt CHANGELOG.md LICENSE SHA256SUMS; do
  [ -s "$top/$file" ] || fail "no $file"
done
cmp -s "$top/hostkit.dll" "$tested" || fail "hostkit.dll is not the DLL the tests ran ($tested)"

# windres turns the DLL's resources back into resource script: the VERSIONINFO block as it was compiled.
resources=$("$windres" -i "$top/hostkit.dll" -O rc) || fail "cannot read the DLL's resources"
for key in FILEVERSION PRODUCTVERSION; do
  numbers=$(sed -n "s/^ *$key *//p" <<<"$resources" | tr -d ' ')
  [ "$numbers" = "${version//./,},0" ] || fail "$key is '$numbers', not $version"
done
for key in FileVersion ProductVersion; do
  text=$(sed -n "s/^ *VALUE \"$key\", \"\\([^\"]*\\)\"\$/\\1/p" <<<"$resources")
  [ "$text" = "$version" ] || fail "the $key string is '$text', not $version"
done
grep -q "^hostkit $version\$" "$top/README.txt" || fail "README.txt does not name version $version"
grep -q "^## $version\$" "$top/CHANGELOG.md" || fail "CHANGELOG.md has no entry for $version"
grep -q '^MIT License$' "$top/LICENSE" || fail "LICENSE is not the MIT License"

listed=$(awk '{print $2}' "$top/SHA256SUMS" | LC_ALL=C sort)
present=$(cd "$top" && find . -type f ! -path ./SHA256SUMS -printf '%P\n' | LC_ALL=C sort)
[ "$listed" = "$present" ] || fail "SHA256SUMS does not list exactly the files of the zip"
(cd "$top" && sha256sum --quiet --strict -c SHA256SUMS) || fail "a file does not match SHA256SUMS"

# Every table of docs/commands.md is a table of the page: a renderer without tables leaves each one as a paragraph
# of "| cell | cell |" text. The Markdown's tables are counted by their delimiter rows ("|---|---|") outside fences.
page=$top/commands.html
markdown=$(cd "$(dirname "$0")/.." && pwd)/docs/commands.md
tables=$(awk '/^ ? ? ?(```|~~~)/ { fenced = !fenced; next }
  !fenced && /^ ? ? ?\|? *:?-+:? *(\| *:?-+:? *)+\|? *$/ { n++ } END { print n + 0 }' "$markdown")
grep -q '<p>|' "$page" && fail "commands.html holds a table left as text: $(grep -m1 -o '<p>|.\{0,40\}' "$page")"
rendered=$(awk '{ n += gsub(/<table>/, "") } END { print n + 0 }' "$page")
[ "$rendered" -eq "$tables" ] || fail "commands.html has $rendered tables where docs/commands.md has $tables"

links=0
while read -r link; do
  links=$((links + 1))
  link=${link//&amp;/&}
  case $link in
    '#'*) grep -q "id=\"${link#\#}\"" "$page" || fail "commands.html links to $link, which the page lacks" ;;
    '' | *:* | /*) fail "commands.html links to '$link', outside the zip" ;;
    *)
      path=${link%%#*}
      path=$(printf '%b' "${path//%/\\x}")
      target=$(realpath -m "$top/$path")
      [[ $target == "$top"/* && -f $target ]] || fail "commands.html links to $link, which is not in the zip"
      ;;
  esac
done < <(grep -oE '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="//; s/"$//')

echo "check-dist: $(basename "$zip"): version $version, $(wc -l <<<"$present") files, $tables tables," \
  "$links links inside the zip"
