# Sourced by the end-to-end scripts: waiting, and writing data files the program reads.

# Waits up to $1 tenths of a second for the command in the remaining arguments to succeed.
wait_for() {
  local tenths=$1
  shift
  for _ in $(seq 1 "$tenths"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Ends each process still running of the pids given.
stop_processes() {
  local pid
  for pid in "$@"; do
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
    fi
  done
}

crlf() { printf '%s\r\n' "$@"; }

# The data file's first lines, up to its first record.
data_file_header() {
  printf '%s' 'これは自動生成されたファイルです。編集しないで下さい。' | iconv -f UTF-8 -t CP932
  crlf "" "[Version]" "DataVersion=1.01"
}

# One record of a data file: number, parent number, title, locator and, optionally, last visit.
record() {
  crlf "[List]" "ItemNum=$1" "TestNum=$(printf '%X' "$1")" "ParentNum=$2" "TitleName=$3" \
       "Locator=$4" "Comment=" "LastModified=000000" "LastVisit=${5:-}" "AddDate=1700000000" \
       "RcRight=0" "RcLeft=0" "RcTop=0" "RcBottom=0" "Browser=0" "Mark=0" ""
}

# The set-up the scripts share: a working folder ($work), a screenshot on failure and the
# cleanup on exit. $1 names the test; the script sets $artifacts first. The processes whose
# pids the script adds to e2e_pids end on exit, after its own e2e_before_cleanup when it has
# one, the last started first; its own e2e_before_failure runs before the failure screenshot.
e2e_setup() {
  e2e_name=$1
  mkdir -p "$artifacts"
  rm -f "$artifacts/${e2e_name}_failure.png"
  work=$(mktemp -d "/tmp/perchlet-${e2e_name}.XXXXXX")
  e2e_pids=()
  trap e2e_finish EXIT
}

# The display and prefix go with wine_env.sh's own cleanup when this script made them.
e2e_finish() {
  if declare -F e2e_before_cleanup >/dev/null; then e2e_before_cleanup; fi
  local i
  for ((i = ${#e2e_pids[@]} - 1; i >= 0; i--)); do stop_processes "${e2e_pids[i]}"; done
  rm -rf "$work"
  if declare -F _perchlet_wine_cleanup >/dev/null; then _perchlet_wine_cleanup; fi
}

fail() {
  echo "FAIL: $*" >&2
  if declare -F e2e_before_failure >/dev/null; then e2e_before_failure; fi
  import -window root "$artifacts/${e2e_name}_failure.png" 2>/dev/null
  exit 1
}

# The tree view's rows from its selected (highlighted) row, found in the one-pixel column at
# screen x $1 within 400 pixels below screen y $2. Sets row_top (relative to $2) and
# row_pitch (the highlight's height and a line; 16 when that is out of reason), and defines
# row_y N, the screen y of the middle of the N-th row below the selected one.
find_tree_rows() {
  local column_x=$1 top=$2 height
  read -r row_top height < <(
    import -window root -crop "1x400+${column_x}+${top}" +repage -depth 8 txt:- 2>/dev/null |
      sed -n 's/^0,\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4/p' |
      awk '{
          selected = ($4 > 180 && $2 < 120 && $4 > $3)
          if (selected && start == "") start = $1
          if (selected) last = $1
          if (!selected && start != "") { print start, last - start + 1; exit }
        }')
  [ -n "${row_top:-}" ] || return 1
  row_pitch=$((height + 1))
  if [ "$row_pitch" -lt 14 ] || [ "$row_pitch" -gt 24 ]; then row_pitch=16; fi
  rows_top=$((top + row_top))
}

row_y() { echo $((rows_top + row_pitch * $1 + row_pitch / 2)); }
