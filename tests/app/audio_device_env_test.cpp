// The main window starts and stops sound through the engine: these tests
// give it a stand-in device, so that they do not depend on sound hardware.
#include <gtest/gtest.h>

#include "common/fake_audio_device.h"

namespace {
struct fake_device_environment : testing::Environment {
    void SetUp() override
    {
        fake_audio_device::reset();
        tarv_audio_set_backend(fake_audio_device::backend());
    }
    void TearDown() override
    {
        if (tarv_audio_enabled()) stop_audio();
        audio_reap_finished();
        tarv_audio_set_backend(nullptr);
    }
};
[[maybe_unused]] testing::Environment* const fake_device = testing::AddGlobalTestEnvironment(new fake_device_environment);
}  // namespace
