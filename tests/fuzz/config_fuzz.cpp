// libFuzzer target for the properties parser, its lookups, the language table
// and the style-string parser. Built and run by scripts/fuzz-config.sh; not
// part of the test suite.
#include <cstddef>
#include <cstdint>
#include <string>

#include "config/LanguageConfig.h"
#include "config/PropSetFile.h"
#include "config/StyleSpec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);

    LanguageConfig cfg;
    cfg.baseSet.Assign("PLAT_GTK", "1");
    cfg.props.ParseText(text, size);  // no import directory: nothing is read from disk
    cfg.BuildLanguageTable();

    const char* files[] = {"", "a.cpp", "Makefile", "README", "x.PY"};
    int visited = 0;
    for (const auto& kv : cfg.props.Entries()) {
        if (++visited > 24)
            break;
        const std::string& key = kv.first;
        (void)cfg.props.LookupExpanded(key);
        (void)cfg.props.LookupInt(key, 7);
        const std::string prefix = key.substr(0, key.find('.') + 1);
        for (const char* f : files) {
            (void)cfg.props.LookupByFile(prefix, f);
            (void)cfg.props.LookupByFileExpanded(prefix, f);
        }
        StyleSpec spec;
        ParseStyle(kv.second, spec);
    }
    for (const char* f : files)
        (void)cfg.Language(cfg.LanguageForFile(f));
    (void)cfg.BuildLanguageMenu();

    StyleSpec whole;
    ParseStyle(std::string(text, size), whole);
    (void)ParseColour(std::string(text, size));
    return 0;
}
