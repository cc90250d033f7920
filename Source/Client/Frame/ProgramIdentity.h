// The program's name and version, as it shows them and as it names its mutex, tasks and keys.
#ifndef VELMORA_FRAME_PROGRAM_IDENTITY_H
#define VELMORA_FRAME_PROGRAM_IDENTITY_H

// Application name, window titles, message texts, task names and user agent.
#define ProgramDisplayName "Velmora"
#define ProgramVersionText "1.0.1.8601"

#endif
