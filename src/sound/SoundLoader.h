#pragma once

// Plays the background music through OpenAL and ALUT. The playback state is
// shared by every SoundLoader in the process: the game holds exactly one.
// All calls come from the main thread.
class SoundLoader {
public:
    // Opens the audio device on the first call, loads file and starts it from
    // the beginning. Without a device or a readable file it prints one line
    // and the music stays silent. Returns 0.
    int activateSound(const char* file);
    // Called every frame: restarts the track from its beginning once it has
    // ended. Allocates nothing and never touches ALUT. Returns 0.
    int playSound();
    // Prints the text for an OpenAL error code; the coded texts end without
    // a line end, an unknown code prints "Unknown error!" on its own line.
    void displayOpenALError(const char* prefix, int err);
    // Releases the source and buffer and closes the device, so that a later
    // activateSound starts afresh.
    void shutdown();
};
