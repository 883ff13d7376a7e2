// The configuration: the process-wide singleton that holds the values of the
// file "Nesting-cfg.xml" (in the folder "Nesting" under the host's
// configuration folder), the display colours, and the names fixed at start-up.
#pragma once

#include "model/Params.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Section and key names of the configuration file.
namespace Attr {
inline constexpr std::wstring_view BridgeParams = L"Bridges";
inline constexpr std::wstring_view maxWidth = L"max_width";
inline constexpr std::wstring_view maxLength = L"max_length";
inline constexpr std::wstring_view PrecisParams = L"Precision";
inline constexpr std::wstring_view tolerance = L"tolerance";
inline constexpr std::wstring_view SheetParams = L"Sheets";
inline constexpr std::wstring_view format = L"format";
inline constexpr std::wstring_view orientation = L"orientation";
inline constexpr std::wstring_view lytFile = L"lyt_file";
inline constexpr std::wstring_view PatternParams = L"Patterns";
inline constexpr std::wstring_view cardName = L"card_name";
}  // namespace Attr

// Display names of the bridge types, index = BridgeType value.
inline constexpr std::array<std::wstring_view, BridgeTypeCount> typesBridges = {
    L"тип 1 - разрыв",
    L"тип 2 - двойной мостик",
    L"тип 3 - мостик слева",
    L"тип 4 - мостик справа",
    L"тип 5 - мостик с перекрестием",
    L"тип 6 - мостик внутри выреза",
    L"тип 7 - старт",
    L"тип 8 - двойной переход",
    L"тип 9 - переход слева",
    L"тип 10 - переход справа",
    L"тип 11 - переход с перекрестием",
};

// Names of the standard drawing scales, from 1:100 to 100:1.
inline constexpr std::array<std::wstring_view, 22> stringStandartScale = {
    L"1:100", L"1:75", L"1:50", L"1:40", L"1:25", L"1:20", L"1:15", L"1:10",
    L"1:5",   L"1:4",  L"1:2.5", L"1:2", L"1:1",  L"2:1",  L"2.5:1", L"4:1",
    L"5:1",   L"10:1", L"20:1", L"40:1", L"50:1", L"100:1",
};

// Colours are packed as r | g << 8 | b << 16.
constexpr int32_t PackColor(uint8_t r, uint8_t g, uint8_t b) {
    return int32_t(r) | int32_t(g) << 8 | int32_t(b) << 16;
}

class NestingSetting : public ConfigParams {
public:
    // The host's folders, as the host binding reports them.
    struct Folders {
        std::filesystem::path config;       // configuration folder
        std::filesystem::path systemFiles;  // system-files folder (style library)
    };
    using FoldersHook = std::function<Folders()>;

    virtual ~NestingSetting() = default;

    // The host binding tells where the host's folders are. Without a hook (or
    // with an empty configuration folder) no file is read or written.
    static void SetFoldersHook(FoldersHook hook);
    static Folders HostFolders();
    static std::filesystem::path ConfigFile(const std::filesystem::path& configFolder);
    // The host's own style library, which the style-library path names
    // while the user has set none.
    static std::filesystem::path DefaultStyleLibrary(const Folders& folders);

    // Refreshes this object from the file of the host's configuration folder.
    // The file is read in the encoding its declaration names (UTF-8 when it
    // names none; windows-1251, ISO-8859-1 and ASCII too, UTF-16 and UTF-32
    // by their byte-order marks). A value the file does not hold takes its
    // start-up value, and so does a bridge width or length of 0 or less; a
    // value that is not a number of its kind or lies out of range keeps what
    // was held before, and so do the values of a missing section. A file that
    // cannot be read whole (it does not parse, a byte is not of its encoding,
    // its encoding is one this program does not read) gives nothing.
    // Afterwards the style-library path and the map-name pattern are never
    // empty. The answer is what the user should be told about the file: empty
    // when there is none or it was read whole.
    std::wstring ReadFromConfig();
    std::wstring ReadFromConfig(const Folders& folders);
    // Whether the file of `configFolder` is missing or can be read whole.
    static bool ReadsWhole(const std::filesystem::path& configFolder);

    // The items of the file, a bit each.
    enum Item : unsigned {
        BridgesWidth = 1u << 0,
        BridgesLength = 1u << 1,
        Tolerance = 1u << 2,
        LytPath = 1u << 3,
        SheetFormat = 1u << 4,
        SheetOrient = 1u << 5,
        SheetPattern = 1u << 6,
        AllItems = (1u << 7) - 1,
    };

    // Writes this object's values to the file: a temporary file beside it is
    // renamed over it once complete. False, with `reason` in the user's
    // words, when that fails: the file is left as it was. A file that cannot
    // be read whole is never replaced unseen: one in an encoding this program
    // does not read is left as it is (false), a damaged one is first copied
    // beside itself, to `keptCopy` (false when the copy fails), and the
    // settings are written anew, all of them.
    bool WriteToConfig() const;
    bool WriteToConfig(const std::filesystem::path& configFolder) const;
    bool WriteToConfig(std::wstring& reason) const;
    bool WriteToConfig(const std::filesystem::path& configFolder, std::wstring& reason) const;
    bool WriteToConfig(const std::filesystem::path& configFolder, std::wstring& reason,
                       std::filesystem::path& keptCopy) const;
    // The same for the `items` only (with all of them, the version too). A
    // file read whole changes only where an item's value changes, byte for
    // byte: every other item keeps its text (one the reader refused, an
    // empty one, one spelt otherwise, one missing), and so do the encoding,
    // the line ends and whatever else the file holds; a value held that reads
    // as the one written stays as it is spelt, and a file that needs no
    // change is not written. `replaced`: a line per value the reader refused
    // that the write replaced, "section/key: «old» заменено на new".
    bool WriteItems(const std::filesystem::path& configFolder, unsigned items, std::wstring& reason,
                    std::filesystem::path& keptCopy, std::vector<std::wstring>& replaced) const;

    // Adapters are not read from any folder.
    void ReadAdaptersFolder() {}

    bool m_testHodograph = false;
    std::wstring m_version = L"23.0";
    std::wstring m_pythonPath;  // never stored; empty: the interpreter found on the path

    static NestingSetting m_instance;
    inline static bool m_withoutLayout = true;
    inline static int32_t m_figureColor = PackColor(255, 255, 230);
    inline static int32_t m_wasteColor = PackColor(204, 255, 255);
    inline static int32_t m_errorColor = PackColor(255, 215, 215);

private:
    void ApplyDefaults(const Folders& folders);
};
