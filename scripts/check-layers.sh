#!/usr/bin/env bash
# Fails when an #include in src/ points against the layer order of the code:
#   platform <- {scene, effects, particles} <- render <- timeline <- driver
# A folder includes its own files and those of the layers below it, never a sibling or a higher
# one. A folder of src/ that has no place in the order fails too, so a new one gets a place.
set -uo pipefail
cd "$(dirname "$0")/.."
declare -A rank=([platform]=0 [scene]=1 [effects]=1 [particles]=1 [render]=2 [timeline]=3
                 [driver]=4)

status=0
for dir in src/*/; do
  folder=$(basename "$dir")
  if [[ ! -v rank[$folder] ]]; then
    echo "check-layers: src/$folder has no place in the layer order (scripts/check-layers.sh)"
    status=1
  fi
done

pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"]'
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  [[ ${rest#*:} =~ $pattern ]] || continue
  target=${BASH_REMATCH[1]}
  while [[ $target == ./* || $target == ../* ]]; do target=${target#*/}; done
  [[ $target == */* ]] || continue  # a bare name is a file of the same folder
  to=${target%%/*}
  from=${file#src/}
  from=${from%%/*}
  [[ -v rank[$to] && -v rank[$from] ]] || continue  # a library's header, or reported above
  if [[ $to != "$from" && ${rank[$to]} -ge ${rank[$from]} ]]; then
    echo "check-layers: $file:$line includes $target: $to is not below $from"
    status=1
  fi
done < <(grep -rnE "$pattern" src --include='*.h' --include='*.cpp')

[[ $status -eq 0 ]] && echo "check-layers: every include in src/ follows the layer order"
exit $status
