# The program's main window as it comes up on a fresh machine.
shot_after 8 main-window bin/Velmora.exe
