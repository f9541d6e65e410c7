#include "audio/audio_engine.h"

#include <alsa/asoundlib.h>

#include <atomic>
#include <mutex>

#include "support/debug_log.h"

namespace {

// PortAudio probes every ALSA device it can think of, and ALSA reports each
// one that is missing on stderr; what matters comes back as PortAudio's
// error codes, which the engine logs.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

PaError portaudio_initialize()
{
    snd_lib_error_set_handler(quiet_alsa);
    return Pa_Initialize();
}

const tarv_audio_backend portaudio_backend = {
    portaudio_initialize,     Pa_Terminate,   Pa_GetDefaultOutputDevice, Pa_GetDeviceInfo, Pa_OpenStream,
    Pa_StartStream,    Pa_StopStream,  Pa_CloseStream,            Pa_GetErrorText,
};
const tarv_audio_backend* backend = &portaudio_backend;

std::mutex active_mutex;
tarv_audio_object* active_list = nullptr;  // newest first
std::mutex finished_mutex;
tarv_audio_object* finished_list = nullptr;

// Written by one thread, read by the other.
std::atomic<int> audio_enabled{0};
std::atomic<int> audio_startup{0};
PaStream* stream = nullptr;  // main thread only

void destroy_all(tarv_audio_object* list)
{
    while (list) {
        tarv_audio_object* next = list->next;
        delete list;
        list = next;
    }
}

// Logs a PortAudio failure and terminates PortAudio, which also closes any
// stream still open.
void report_error(const char* routine, const char* text, PaError code)
{
    if (code != paNoError) {
        TARV_LOG(2, "Error in %s(), '%s' - err code %d '%s'.\n", routine, text, static_cast<int>(code),
                 backend->error_text(code));
    } else {
        TARV_LOG(2, "Error in %s() - %s.\n", routine, text);
    }
    backend->terminate();
}

int start_failed(const char* text, PaError code)
{
    report_error("start_audio_internal", text, code);
    audio_startup = 0;
    audio_enabled = 0;
    stream = nullptr;
    return 0;
}

int start_audio_internal()
{
    PaError err = backend->initialize();
    if (err != paNoError) return start_failed("unable to initialize", err);

    PaStreamParameters output{};
    output.device = backend->default_output_device();
    if (output.device == paNoDevice) return start_failed("no device available", paNoError);
    const PaDeviceInfo* info = backend->device_info(output.device);
    if (!info) return start_failed("bad device index", paNoError);
    output.channelCount = 2;
    output.sampleFormat = paInt16;
    output.suggestedLatency = info->defaultLowOutputLatency;
    output.hostApiSpecificStreamInfo = nullptr;
    TARV_LOG(2, "Requested output latency = %.4f seconds.\n", output.suggestedLatency);
    TARV_LOG(2, "%d frames per buffer.\n.", tarv_audio_frames_per_buffer);

    PaStream* opened = nullptr;
    err = backend->open_stream(&opened, nullptr, &output, tarv_audio_sample_rate, tarv_audio_frames_per_buffer,
                               paClipOff | paDitherOff, audio_stream_callback, nullptr);
    if (err != paNoError) return start_failed("unable to open stream", err);
    stream = opened;

    // Raised before the stream runs, so that the first callback always
    // finds it set and clears it.
    audio_startup = 1;
    err = backend->start_stream(stream);
    if (err != paNoError) return start_failed("unable to start stream", err);
    return 1;
}

}  // namespace

void tarv_audio_set_backend(const tarv_audio_backend* replacement)
{
    backend = replacement ? replacement : &portaudio_backend;
}

bool tarv_audio_enabled()
{
    return audio_enabled != 0;
}

int start_audio()
{
    if (audio_startup) {
        TARV_LOG(2, "Error in start_audio(), startup already in progress.\n");
        return 0;
    }
    if (audio_enabled) {
        TARV_LOG(2, "Error in start_audio(), audio already enabled.\n");
        return 0;
    }
    audio_reap_finished();
    audio_enabled = 1;
    return start_audio_internal();
}

void stop_audio()
{
    if (!audio_enabled) {
        TARV_LOG(2, "Error in stop_audio(), audio not enabled.\n");
        return;
    }
    audio_enabled = 0;
    release_audio();
    audio_reap_finished();
}

void release_audio()
{
    if (!stream) return;
    PaError err = backend->stop_stream(stream);
    if (err == paNoError) {
        err = backend->close_stream(stream);
        if (err != paNoError) {
            report_error("release_audio", "unable to close stream", err);
        } else {
            // One initialisation per start: the next start begins afresh.
            backend->terminate();
        }
    } else {
        report_error("release_audio", "unable to stop stream", err);
    }
    // Either closed, or PortAudio was terminated by the report, which closes
    // it too: the handle must not be used again.
    stream = nullptr;
    audio_startup = 0;
}

void audio_add_object(tarv_audio_object* object)
{
    if (!object) return;
    {
        std::lock_guard<std::mutex> lock(active_mutex);
        object->next = active_list;
        active_list = object;
    }
    audio_reap_finished();
}

void audio_reap_finished()
{
    if (!audio_enabled) {
        tarv_audio_object* all;
        {
            std::lock_guard<std::mutex> lock(active_mutex);
            all = active_list;
            active_list = nullptr;
        }
        destroy_all(all);
    }
    tarv_audio_object* ended;
    {
        std::lock_guard<std::mutex> lock(finished_mutex);
        ended = finished_list;
        finished_list = nullptr;
    }
    destroy_all(ended);
}

int soft_clip(int x)
{
    if (x >= 0) {
        if (x <= 16383) return x;
        if (x <= 32767) return (x >> 2) + 12288;
        if (x <= 65535) return (x >> 3) + 16384;
        if (x <= 131071) return (x >> 4) + 20480;
        if (x <= 262143) return (x >> 5) + 24576;
        return 32767;
    }
    if (x >= -16383) return x;
    if (x >= -32767) return (x >> 2) - 12288;
    if (x >= -65535) return (x >> 3) - 16384;
    if (x >= -131071) return (x >> 4) - 20480;
    if (x >= -262143) return (x >> 5) - 24575;
    return -32767;
}

void mix_frame(short* left, short* right)
{
    int sum_left = 0;
    int sum_right = 0;
    {
        std::lock_guard<std::mutex> lock(active_mutex);
        tarv_audio_object** link = &active_list;
        while (tarv_audio_object* object = *link) {
            int l = 0;
            int r = 0;
            int more = object->get_sample(&l, &r);
            sum_left += l;
            sum_right += r;
            if (more) {
                link = &object->next;
                continue;
            }
            *link = object->next;
            std::lock_guard<std::mutex> finished_lock(finished_mutex);
            object->next = finished_list;
            finished_list = object;
        }
    }
    *left = static_cast<short>(soft_clip(sum_left));
    *right = static_cast<short>(soft_clip(sum_right));
}

int audio_stream_callback(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                          PaStreamCallbackFlags, void*)
{
    short* out = static_cast<short*>(output);
    for (unsigned long i = 0; i < frames; ++i) mix_frame(&out[2 * i], &out[2 * i + 1]);
    audio_startup = 0;
    return audio_enabled ? paContinue : paComplete;
}
