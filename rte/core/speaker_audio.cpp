// rte/core/speaker_audio.cpp - the emulated speaker's tone through SDL2's audio output: a
// square wave of the timer's frequency, 16-bit mono at 44100 Hz. The device is opened when a
// tone starts and closed when it stops, so a silent speaker holds no audio device (and the
// disk driver's file is complete once the tone has stopped).
#include "rte/core/speaker_internal.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>

namespace rte::internal {

namespace {

constexpr int kSampleRate = 44100;
constexpr Sint16 kAmplitude = 8000;

SDL_AudioDeviceID g_device = 0;
std::atomic<double> g_frequency{0};
double g_phase = 0;  // in periods, touched only by the audio thread
bool g_exitHookSet = false;

void Fill(void *, Uint8 *stream, int bytes) {
    auto *samples = reinterpret_cast<Sint16 *>(stream);
    int count = bytes / static_cast<int>(sizeof(Sint16));
    double step = g_frequency.load() / kSampleRate;
    for (int i = 0; i < count; ++i) {
        samples[i] = g_phase < 0.5 ? kAmplitude : static_cast<Sint16>(-kAmplitude);
        g_phase += step;
        if (g_phase >= 1.0) g_phase -= static_cast<int>(g_phase);
    }
}

void Close() {
    if (g_device == 0) return;
    SDL_CloseAudioDevice(g_device);
    g_device = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace

void SpeakerAudioPlay(double frequency) {
    g_frequency.store(frequency);
    if (g_device != 0) return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;  // no audio here: the tone is silent
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    want.callback = Fill;
    g_phase = 0;
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (g_device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return;
    }
    if (!g_exitHookSet) {
        g_exitHookSet = true;
        std::atexit(Close);  // a tone still sounding when the program ends
    }
    SDL_PauseAudioDevice(g_device, 0);
}

void SpeakerAudioStop() { Close(); }

}  // namespace rte::internal
