#include "sound/SoundLoader.h"

#include <AL/alut.h>

#include <cstdio>

// The module's playback state; the loop restarts the same source over its
// one buffer, so these stay valid for the whole run.
static ALuint soundSource = 0;
static ALuint soundBuffer = 0;
static ALint sourceState = AL_INITIAL;
static ALenum error = AL_NO_ERROR;

// alutInit fails when it runs twice, so it runs once until shutdown(). A
// missing device or file is reported by activateSound only: playSound never
// retries, so a silent game prints nothing per frame.
static bool alutReady = false;
static bool musicLoaded = false;

static void releaseMusic() {
    if (!musicLoaded)
        return;
    alSourceStop(soundSource);
    alSourcei(soundSource, AL_BUFFER, 0);
    alDeleteSources(1, &soundSource);
    alDeleteBuffers(1, &soundBuffer);
    alGetError();
    soundSource = 0;
    soundBuffer = 0;
    musicLoaded = false;
}

int SoundLoader::activateSound(const char* file) {
    if (!alutReady) {
        if (!alutInit(nullptr, nullptr)) {
            std::printf("Sound: no audio device, playing silent (%s)\n", alutGetErrorString(alutGetError()));
            return 0;
        }
        alutReady = true;
    }
    releaseMusic();

    if (!file) {
        std::puts("Sound: could not load the music: no file name given");
        return 0;
    }
    soundBuffer = alutCreateBufferFromFile(file);
    if (soundBuffer == AL_NONE) {
        std::printf("Sound: could not load %s: %s\n", file, alutGetErrorString(alutGetError()));
        alGetError();
        return 0;
    }
    alGenSources(1, &soundSource);
    alSourcei(soundSource, AL_BUFFER, soundBuffer);
    alSourcePlay(soundSource);
    error = alGetError();
    if (error != AL_NO_ERROR)
        displayOpenALError("Error: ", error);

    musicLoaded = alIsSource(soundSource) == AL_TRUE;
    if (!musicLoaded) {
        alDeleteBuffers(1, &soundBuffer);
        alGetError();
        soundBuffer = 0;
        soundSource = 0;
    }
    return 0;
}

int SoundLoader::playSound() {
    if (!musicLoaded)
        return 0;
    alGetSourcei(soundSource, AL_SOURCE_STATE, &sourceState);
    // A stopped source plays again from its first sample.
    if (sourceState != AL_PLAYING)
        alSourcePlay(soundSource);
    error = alGetError();
    if (error != AL_NO_ERROR)
        displayOpenALError("Error: ", error);
    return 0;
}

void SoundLoader::displayOpenALError(const char* prefix, int err) {
    switch (err) {
    case AL_INVALID_NAME:
        std::printf("%s Invalid Name", prefix);
        break;
    case AL_INVALID_ENUM:
        std::printf("%s Invalid Enum", prefix);
        break;
    case AL_INVALID_VALUE:
        std::printf("%s Invalid Value", prefix);
        break;
    case AL_INVALID_OPERATION:
        std::printf("%s Invalid Operation", prefix);
        break;
    case AL_OUT_OF_MEMORY:
        std::printf("%s Out Of Memory", prefix);
        break;
    default:
        std::puts("Unknown error!");
        break;
    }
}

void SoundLoader::shutdown() {
    releaseMusic();
    if (alutReady)
        alutExit();
    alutReady = false;
    sourceState = AL_INITIAL;
    error = AL_NO_ERROR;
}
