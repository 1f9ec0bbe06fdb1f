#!/usr/bin/env bash
# Lays out a demo installation in the folder given (default demo/): the board's executable with
# its files beside it, a private ODBC configuration for an SQLite database, the database with the
# ticket tables, "krumel.ini" with a scrambled password and "SPISKO.INI" with readable defaults.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build # the debug preset
demo=${1:-$root/demo}

driver=$(dpkg -L libsqliteodbc 2>/dev/null | grep -m1 '/libsqlite3odbc\.so$' || true)
if [ -z "$driver" ]; then
    echo "demo-install: the SQLite ODBC driver (libsqliteodbc) is missing" >&2
    exit 1
fi

mkdir -p "$demo/odbc" "$demo/screenshots"
rm -f "$demo/kassa.db" "$demo/tavlix.log" "$demo"/screenshots/*.png
cp "$build/src/Tavlix" "$demo/Tavlix"

cat > "$demo/odbc/odbcinst.ini" <<INI
[SQLite3]
Description=SQLite3 ODBC Driver
Driver=$driver
INI
# StepAPI=1: the driver hands out the rows one by one instead of holding a whole result set.
cat > "$demo/odbc/odbc.ini" <<INI
[TavlixDemo]
Driver=SQLite3
Database=$demo/kassa.db
StepAPI=1
INI

export ODBCSYSINI="$demo/odbc" ODBCINI="$demo/odbc/odbc.ini" QT_QPA_PLATFORM=offscreen
losen=$(printf 'demo\n' | "$build/tools/tavlix-simulator" --scramble 2>/dev/null)
printf '[DATABAS]\r\nALIAS=TavlixDemo\r\nANVNAMN=SA\r\nLOSEN=%s\r\n' "$losen" > "$demo/krumel.ini"
printf '[BONG]\r\nBREDD=225\r\nVANSTER=0\r\n[SKARM]\r\nRADER=3\r\nGRONSEK=280\r\nGULSEK=500\r\nRODSEK=1000\r\nUPDATE=5\r\nREPAINT=N\r\nHORIZONTAL=N\r\nNAMN=Alla\r\n' > "$demo/SPISKO.INI"

# The tables, some tickets already waiting (some of them late, one with its picture cut short)
# and some done.
"$build/tools/tavlix-simulator" --dsn TavlixDemo --open 6 --done 4 --damaged 1 --depth mixed --max-age 1300 2>/dev/null
