// The audio engine: one PortAudio output stream (44100 Hz, stereo, 16 bit,
// 1024 frames per buffer) whose callback sums every playing sound object.
//
// Threads: the main thread creates sounds (audio_add_object), reaps ended
// ones, starts and stops; PortAudio's callback thread mixes. The callback
// never allocates, logs or frees: an object that ends is only relinked from
// the active list to the finished list, and the main thread destroys it at
// its next add, start or stop. Lock order: active list, then finished list.
#pragma once

#include <portaudio.h>

// A sound. get_sample produces one stereo frame; 0 means this was the last
// call (the source says whether that call wrote a frame). Once added, the
// engine owns the object.
class tarv_audio_object {
public:
    virtual ~tarv_audio_object() = default;
    virtual int get_sample(int* left, int* right) = 0;

    tarv_audio_object* next = nullptr;  // link in whichever engine list holds it
};

inline constexpr int tarv_audio_sample_rate = 44100;
inline constexpr int tarv_audio_frames_per_buffer = 1024;

// 1 when the stream started, 0 when not (logged; sound is then off and
// PortAudio terminated).
int start_audio();
void stop_audio();
// Stops and closes the stream, if there is one. Shutdown calls it directly.
void release_audio();
// Takes ownership; the object plays from the next buffer on. While audio is
// off it is destroyed at once.
void audio_add_object(tarv_audio_object* object);
// Destroys ended objects, and every object while audio is off. Main thread.
void audio_reap_finished();

// Creating a sound is all a caller does to play it.
template <typename Sound, typename... Args>
void tarv_audio_play(Args&&... args)
{
    audio_add_object(new Sound(static_cast<Args&&>(args)...));
}

bool tarv_audio_enabled();

// The piecewise linear curve that squeezes a sum of frames into 16 bits.
int soft_clip(int x);
// One output frame: every active object's frame summed and clipped. Ended
// objects move to the finished list. Called by the stream callback.
void mix_frame(short* left, short* right);
// PortAudio's stream callback (exposed so that tests can stand in for the
// stream and drive it).
int audio_stream_callback(const void* input, void* output, unsigned long frames,
                          const PaStreamCallbackTimeInfo* time_info, PaStreamCallbackFlags status_flags,
                          void* user_data);

// The PortAudio calls the engine makes. Tests install their own table to
// stand in for a device; nullptr restores PortAudio.
struct tarv_audio_backend {
    PaError (*initialize)();
    PaError (*terminate)();
    PaDeviceIndex (*default_output_device)();
    const PaDeviceInfo* (*device_info)(PaDeviceIndex device);
    PaError (*open_stream)(PaStream** stream, const PaStreamParameters* input, const PaStreamParameters* output,
                           double sample_rate, unsigned long frames_per_buffer, PaStreamFlags flags,
                           PaStreamCallback* callback, void* user_data);
    PaError (*start_stream)(PaStream* stream);
    PaError (*stop_stream)(PaStream* stream);
    PaError (*close_stream)(PaStream* stream);
    const char* (*error_text)(PaError code);
};
void tarv_audio_set_backend(const tarv_audio_backend* backend);
