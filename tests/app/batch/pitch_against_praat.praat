# Writes the reference tracker's pitch at the batch track's times: one line
# "time,f0" per row, f0 empty where it finds no pitch.
form Pitch at the track's times
    sentence wav
    sentence out
    integer rows
endform
sound = Read from file: wav$
pitch = To Pitch (ac): 0.01, 75, 15, "no", 0.03, 0.45, 0.01, 0.35, 0.14, 600
writeFile: out$, ""
for i from 0 to rows - 1
    t = i * 0.01
    f = Get value at time: t, "Hertz", "nearest"
    if f = undefined
        appendFileLine: out$, fixed$(t, 2), ","
    else
        appendFileLine: out$, fixed$(t, 2), ",", fixed$(f, 2)
    endif
endfor
