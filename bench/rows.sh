# Our rows for the peers' timing harness (../shared/bench/baselines.sh), so
# that they run under the very same conditions as zip, 7z and openssl:
#   EXTRA=bench/rows.sh ../shared/bench/baselines.sh
# The harness sources this once per preset with $S, $D, $F and $P set.
# KELVO_BENCH names the driver (default: the release build's).
KB=${KELVO_BENCH:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/release/bench/kelvo-bench}
[ -x "$KB" ] || { echo "rows.sh: build kelvo-bench first ($KB)" >&2; return 0; }

if [ "$P" = onegig ]; then
  W="cat $F > /dev/null"
  ctr="-aes-256-ctr -pbkdf2 -pass pass:secret"
  row openssl_ctr_enc "openssl enc -aes-256-ctr -pbkdf2 > file" "openssl enc $ctr -in $F -out $D/f.ctr" "rm -f $D/f.ctr && sync && $W" "$D/f.ctr"
  [ -f "$D/f.ctr" ] || openssl enc $ctr -in "$BENCH/$F" -out "$D/f.ctr"
  row openssl_ctr_dec "openssl enc -d -aes-256-ctr -pbkdf2 > file" "openssl enc -d $ctr -in $D/f.ctr -out $D/f.dec" "rm -f $D/f.dec && sync && cat $D/f.ctr > /dev/null" "$D/f.dec"
  # The container replaces the archive it is made from: each run gets a copy.
  row kelvo_kbc_enc "kelvo container encrypt (scrypt, AES-256-GCM)" "$KB encrypt $D/in.zip $D/c.kbc secret" "rm -f $D/c.kbc && cp $F $D/in.zip && sync" "$D/c.kbc"
  [ -f "$D/c.kbc" ] || { cp "$BENCH/$F" "$D/in.zip" && "$KB" encrypt "$D/in.zip" "$D/c.kbc" secret; }
  row kelvo_kbc_dec "kelvo container decrypt" "$KB decrypt $D/c.kbc out.zip secret" "rm -f $D/out.zip && sync && cat $D/c.kbc > /dev/null" "$D/out.zip"
  row kelvo_zip6_1g "kelvo zip -6 of the 1 GiB file" "$KB zip $D/k1.zip $(dirname $F) 6" "rm -f $D/k1.zip && sync && $W" "$D/k1.zip"
  # Memory of the build: the largest resident set, once.
  ( cd "$BENCH" && /usr/bin/time -f "kelvo zip -6 of 1 GiB: max resident %M KiB" "$KB" zip "$D/k1.zip" "$(dirname $F)" 6 ) 2>&1 | tail -1 | tee -a "$RESULTS/memory.txt"
  rm -f "$D/in.zip" "$D/out.zip" "$D/f.dec" "$D/k1.zip"
else
  W="find $S -type f -print0 | xargs -0 cat > /dev/null"
  row kelvo_zip6 "kelvo zip -6" "$KB zip $D/k.zip $S 6" "rm -f $D/k.zip && sync && $W" "$D/k.zip"
  row kelvo_zip1 "kelvo zip -1" "$KB zip $D/k1.zip $S 1" "rm -f $D/k1.zip && sync && $W" "$D/k1.zip"
  row kelvo_zip6_s100m "kelvo zip -6, 100 MiB volumes" "$KB zip $D/ks.zip $S 6 '' 104857600" "rm -f $D/ks.z* && sync && $W" "$D/ks.z*" slow
  row kelvo_zipcrypto "kelvo zip -6 with a zip password" "$KB zip $D/ke.zip $S 6 secret" "rm -f $D/ke.zip && sync && $W" "$D/ke.zip" slow
  [ -f "$D/ref.zip" ] || (cd "$BENCH" && zip -r -q -6 "$D/ref.zip" "$S")
  row kelvo_unzip "kelvo unzip (zip -6 archive)" "$KB unzip $D/ref.zip $D/kuz" "rm -rf $D/kuz && sync && cat $D/ref.zip > /dev/null" "$D/kuz"
  rm -rf "$D/kuz" "$D"/ks.z* "$D/k.zip" "$D/k1.zip" "$D/ke.zip"
fi
