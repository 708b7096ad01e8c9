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
