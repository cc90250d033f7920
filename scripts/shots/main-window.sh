# The program's main window as it comes up on a fresh machine (a fresh prefix takes its time to
# start its first window).
shot_after 20 main-window bin/Velmora.exe
