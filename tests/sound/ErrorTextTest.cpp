#include "sound/SoundLoader.h"

#include "CaptureOutput.h"

#include <AL/al.h>
#include <gtest/gtest.h>

namespace {

std::string errorText(const char* prefix, int code) {
    SoundLoader loader;
    CaptureOutput out;
    loader.displayOpenALError(prefix, code);
    return out.finish();
}

struct CodedError {
    int code;
    const char* expected;
};

TEST(OpenALErrorText, NamedCodesPrintPrefixAndTextWithoutLineEnd) {
    const CodedError cases[] = {
        {AL_INVALID_NAME, "Error:  Invalid Name"},   {AL_INVALID_ENUM, "Error:  Invalid Enum"},
        {AL_INVALID_VALUE, "Error:  Invalid Value"}, {AL_INVALID_OPERATION, "Error:  Invalid Operation"},
        {AL_OUT_OF_MEMORY, "Error:  Out Of Memory"},
    };
    for (const CodedError& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(errorText("Error: ", c.code), c.expected);
    }
}

TEST(OpenALErrorText, PrefixIsPrintedAsGiven) {
    EXPECT_EQ(errorText("", AL_INVALID_VALUE), " Invalid Value");
    EXPECT_EQ(errorText("Music:", AL_INVALID_ENUM), "Music: Invalid Enum");
    EXPECT_EQ(errorText("100%s", AL_INVALID_NAME), "100%s Invalid Name");
}

TEST(OpenALErrorText, OtherCodesPrintUnknownErrorOnALineOfItsOwn) {
    const int codes[] = {AL_NO_ERROR, 1, AL_INVALID_NAME - 1, AL_OUT_OF_MEMORY + 1, 0x7fffffff, -1};
    for (int code : codes) {
        SCOPED_TRACE(code);
        EXPECT_EQ(errorText("Error: ", code), "Unknown error!\n");
    }
}

} // namespace
