// A language file: the numbered texts and the extra ones, read the way start-up reads them.
#include <cstdint>
#include <string>

#include "base/debug_log.h"
#include "base/language.h"
#include "fuzz_support.h"
#include "support/fakes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string& folder = zc::fuzz::ScratchFolder();
    static zc::test::FakeClock clock;
    // The missing-string lines go nowhere: a log per input would fill the disk.
    static const zc::DebugLog log(clock, "/proc/zc-fuzz-no-log/");
    static const bool made = std::filesystem::create_directories(folder + "language");
    (void)made;

    if (size < 1) return 0;
    const bool showImages = data[0] & 1;
    zc::fuzz::WriteFile(zc::LanguageTable::FilePath("fuzz"), std::string(reinterpret_cast<const char*>(data + 1), size - 1));

    zc::LanguageTable table;
    ZC_FUZZ_CHECK(table.LoadLanguageFile("fuzz", log, showImages), "an existing file not loaded");
    ZC_FUZZ_CHECK(table.Size() == zc::kLanguageTableSize, std::to_string(table.Size()));
    ZC_FUZZ_CHECK(table.LangString(-1) == " " && table.LangString(zc::kLanguageTableSize) == " ", "bad index");
    for (int i = 0; i < zc::kLanguageTableSize; ++i)
        ZC_FUZZ_CHECK(table.LangString(i).size() < 4096, "entry " + std::to_string(i));
    (void)table.Extra(zc::ExtraText::NoRecipient, "%s%s");
    (void)table.Extra(zc::ExtraText::BoardNotSaved, "board");
    return 0;
}
