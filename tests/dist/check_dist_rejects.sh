#!/usr/bin/env bash
# tools/check-dist.sh must reject a release zip with any of these faults: each case unpacks the real zip, breaks one
# thing (re-summing SHA256SUMS where the fault is not the sums themselves), packs it again and expects the check to
# fail with its message.
#   tests/dist/check_dist_rejects.sh hostkit-VERSION.zip TESTED-hostkit.dll OTHER-PE-FILE
set -euo pipefail
zip=$(realpath "${1:?release zip}") dll=$(realpath "${2:?tested DLL}") other=$(realpath "${3:?another PE file}")
check=$(cd "$(dirname "$0")/../.." && pwd)/tools/check-dist.sh
name=$(basename "$zip" .zip)
version=${name#hostkit-}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

resum() { (cd "$top" && find . -type f ! -path ./SHA256SUMS -printf '%P\n' | LC_ALL=C sort | xargs sha256sum >../sums) && mv "$tmp/work/sums" "$top/SHA256SUMS"; }
link() { sed -i "s|</body>|<p><a href=\"$1\">link</a></p></body>|" "$top/commands.html" && resum; }

other_dll() { :; }
other_version() { mv "$top" "$tmp/work/hostkit-0.9.1" && top=$tmp/work/hostkit-0.9.1 && packed=hostkit-0.9.1; }
lost_picture() { rm "$top/$(grep -o 'src="[^"]*"' "$top/commands.html" | head -n1 | sed 's/^src="//; s/"$//')" && resum; }
web_link() { link 'https://host.invalid/commands'; }
absolute_link() { link '/etc/passwd'; }
escaping_link() { link '../hostkit.dll'; }
lost_anchor() { link '#no-such-heading'; }
edited_file() { echo "one more line" >>"$top/README.txt"; }
unlisted_file() { echo extra >"$top/extra.txt"; }
no_license() { rm "$top/LICENSE" && resum; }
# The first table as a renderer without tables leaves it: one paragraph of "|" text; or a table gone altogether.
table_as_text() { perl -0pi -e 's{<table>.*?</table>}{<p>| Command | Result |</p>}s' "$top/commands.html" && resum; }
lost_table() { perl -0pi -e 's{<table>.*?</table>}{}s' "$top/commands.html" && resum; }

# case | expected message (part)
cases=(
  "other_dll|is not the DLL the tests ran"
  "other_version|FILEVERSION is '${version//./,},0', not 0.9.1"
  "lost_picture|which is not in the zip"
  "web_link|outside the zip"
  "absolute_link|outside the zip"
  "escaping_link|which is not in the zip"
  "lost_anchor|which the page lacks"
  "edited_file|does not match SHA256SUMS"
  "unlisted_file|does not list exactly the files"
  "no_license|no LICENSE"
  "table_as_text|a table left as text"
  "lost_table|tables where docs/commands.md has"
)
failed=0
for entry in "${cases[@]}"; do
  mutate=${entry%%|*} expected=${entry#*|}
  rm -rf "$tmp/work" && mkdir -p "$tmp/work"
  (cd "$tmp/work" && cmake -E tar xf "$zip")
  top=$tmp/work/$name packed=$name tested=$dll
  [ "$mutate" = other_dll ] && tested=$other
  "$mutate"
  rm -f "$tmp/$packed.zip"
  (cd "$tmp/work" && cmake -E tar cf "$tmp/$packed.zip" --format=zip "$(basename "$top")")
  if message=$("$check" "$tmp/$packed.zip" "$tested" 2>&1); then
    echo "FAIL $mutate: accepted ($message)"; failed=$((failed + 1))
  elif [[ $message != *"$expected"* ]]; then
    echo "FAIL $mutate: rejected for another reason: $message"; failed=$((failed + 1))
  else
    echo "ok   $mutate: $message"
  fi
done
echo "$((${#cases[@]} - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
