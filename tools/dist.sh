#!/usr/bin/env bash
# Builds the release zip: hostkit-VERSION/ with the given hostkit.dll (copied, never rebuilt), commands.html
# (docs/commands.md rendered by cmark-gfm, tables included, with the pictures it shows), README.txt, CHANGELOG.md,
# LICENSE and SHA256SUMS.
#   tools/dist.sh VERSION DLL README.txt OUT.zip
set -euo pipefail
version=${1:?version} dll=${2:?hostkit.dll} readme=${3:?README.txt} zip=${4:?output zip}
zip=$(realpath -m "$zip")
source=$(cd "$(dirname "$0")/.." && pwd)
name=hostkit-$version

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top=$stage/$name
mkdir -p "$top" "$(dirname "$zip")"

cp "$dll" "$top/hostkit.dll"
cp "$readme" "$top/README.txt"
cp "$source/CHANGELOG.md" "$source/LICENSE" "$top/"

{
  cat <<HEAD
<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>hostkit $version: commands</title>
<style>
body { max-width: 52em; margin: 2em auto; padding: 0 1em; font-family: sans-serif; line-height: 1.45; }
pre { background: #f4f4f4; padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 0.15em 0.5em; text-align: left; vertical-align: top; }
img { max-width: 100%; border: 1px solid #ccc; }
</style>
</head>
<body>
<p>hostkit $version</p>
HEAD
  # GitHub's flavour of Markdown, with its tables. Each heading gets the id that GitHub gives it, which the index's
  # links name: lower case, letters, digits, "_" and "-" kept, spaces made "-", a repeat numbered "-1", "-2", ...
  cmark-gfm -e table -e autolink --to html "$source/docs/commands.md" | perl -pe '
    s{<h([1-6])>(.*?)</h\1>}{
      my ($level, $text) = ($1, $2);
      (my $id = lc $text) =~ s/<[^>]*>|&#?\w+;//g;
      $id =~ s/[^a-z0-9 _-]//g;
      $id =~ s/ /-/g;
      $id .= "-$seen{$id}" if $seen{$id}++;
      qq{<h$level id="$id">$text</h$level>}
    }ge'
  printf '</body>\n</html>\n'
} >"$top/commands.html"

# The pictures are the relative src links of the page, copied under the same relative paths.
grep -o 'src="[^"]*"' "$top/commands.html" | sed 's/^src="//; s/"$//' | sort -u | while read -r picture; do
  case $picture in
    *:* | /* | *..*) echo "dist: picture $picture is not a file beside docs/commands.md" >&2; exit 1 ;;
  esac
  mkdir -p "$top/$(dirname "$picture")"
  cp "$source/docs/$picture" "$top/$picture"
done

sums=$(cd "$top" && find . -type f -printf '%P\n' | LC_ALL=C sort | xargs sha256sum)
echo "$sums" >"$top/SHA256SUMS"
rm -f "$zip.part"
(cd "$stage" && cmake -E tar cf "$zip.part" --format=zip "$name")
mv "$zip.part" "$zip"
