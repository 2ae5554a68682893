#!/usr/bin/env bash
# Draws the table of bench/effect_cost_bench (--tsv FILE) as a bar chart:
# each effect's cost as a multiple of a plain encode of the same seconds.
# Needs gnuplot (Debian: apt-get install gnuplot-nox).
#
#   bench/effect_cost_chart.sh costs.tsv docs/effect_cost.png
set -euo pipefail

if (($# != 2)); then
  echo "usage: $0 TABLE.tsv CHART.png" >&2
  exit 2
fi
table="$1"
chart="$2"
command -v gnuplot >/dev/null || {
  echo "$0: gnuplot is missing (apt-get install gnuplot-nox)" >&2
  exit 1
}

gnuplot <<GNUPLOT
set terminal pngcairo size 1400,520 font "Noto Sans CJK SC,10"
set output "${chart}"
set datafile separator "\t"
set title "Cost of each effect in the one-pass engine (CPU seconds against a plain encode of the same seconds)"
set ylabel "x plain encode"
set style fill solid 0.8 border -1
set boxwidth 0.75
set grid ytics
set yrange [0:*]
set xtics rotate by 90 right font ",8"
set key off
set xlabel "特效"
plot "${table}" using 0:5:xtic(stringcolumn(1)[7:*]) every ::1 with boxes lc rgb "#4a7ab5", \
     1.0 with lines lc rgb "#c03030" dt 2
GNUPLOT
echo "${chart}"
