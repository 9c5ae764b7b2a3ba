# The soak's memory curve: window-soak.csv of the folder gnuplot runs in, drawn as
# window-soak.png there (Debian: gnuplot-nox).
# The dashed lines mark the default warm-up (a fifth) and the end of a five-minute churn.
set datafile separator ","
set terminal pngcairo size 1000,560 font "DejaVu Sans,10"
set output "window-soak.png"
set title "Main window soak: 10,000 font operations in 300 s while Computer is searched"
set xlabel "seconds"
set ylabel "MiB"
set y2label "rows / files"
set y2tics
set ytics nomirror
set key top left
set arrow from 61, graph 0 to 61, graph 1 nohead dt 2 lc rgb "#888888"
set label "end of warm-up" at 62, graph 0.95 tc rgb "#555555"
set arrow from 300, graph 0 to 300, graph 1 nohead dt 2 lc rgb "#888888"
set label "churn ends" at 301, graph 0.95 tc rgb "#555555"
plot "window-soak.csv" every ::1 using 1:($3/1024) with lines lw 2 title "resident", \
     "" every ::1 using 1:($6/1024) with lines lw 2 title "heap in use", \
     "" every ::1 using 1:8 axes x1y2 with lines lc rgb "#2a9d2a" title "rows", \
     "" every ::1 using 1:9 axes x1y2 with lines dt 3 lc rgb "#000000" title "files"
