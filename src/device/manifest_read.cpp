// Reading a backup's manifest. The JSON library hands over its events one by
// one and this keeps only what a restore needs; a document tree of the whole
// file would be a second copy of the library's parser in every program that
// links the core, the window program included, for no gain.
#include <set>

#include <nlohmann/json.hpp>

#include "device/backup_folder.h"

namespace {

using json = nlohmann::ordered_json;

constexpr uint64_t LargestWord = 0xFFFF;
constexpr size_t Sha256HexDigits = 64;
constexpr const char* CapacityFromTable = "table";

// One value of the document as far as the manifest cares: containers and
// values nested in them count only as "something else".
struct Value {
    enum class Kind { Absent, Negative, Unsigned, Float, Text, Other } kind = Kind::Absent;
    int64_t negative = 0;
    uint64_t number = 0;
    double real = 0;
    std::string text;

    static Value Of(Kind kind) {
        Value value;
        value.kind = kind;
        return value;
    }
    bool IsInteger() const { return kind == Kind::Negative || kind == Kind::Unsigned; }
    bool IsUnsigned() const { return kind == Kind::Unsigned; }
    bool IsText() const { return kind == Kind::Text; }
};

struct RawEntry {
    bool isObject = false;
    Value file, length, capacity, sha256, capacityFrom;
};

struct RawManifest {
    bool isObject = false;
    Value format, identity, time;
    bool filesListed = false;  // "files" is there and is an array
    std::vector<RawEntry> files;
};

// Follows the nesting: depth 1 is the document's object, 2 the "files" array,
// 3 one entry; anything deeper, or under other keys, only changes the depth.
class ManifestEvents {
public:
    explicit ManifestEvents(RawManifest* raw) : raw_(raw) {}

    bool null() { return Scalar(Value::Of(Value::Kind::Other)); }
    bool boolean(bool) { return Scalar(Value::Of(Value::Kind::Other)); }
    bool number_integer(json::number_integer_t n) {
        Value value = Value::Of(Value::Kind::Negative);
        value.negative = n;
        return Scalar(std::move(value));
    }
    bool number_unsigned(json::number_unsigned_t n) {
        Value value = Value::Of(Value::Kind::Unsigned);
        value.number = n;
        return Scalar(std::move(value));
    }
    bool number_float(json::number_float_t n, const json::string_t&) {
        Value value = Value::Of(Value::Kind::Float);
        value.real = n;
        return Scalar(std::move(value));
    }
    bool string(json::string_t& s) {
        Value value = Value::Of(Value::Kind::Text);
        value.text = std::move(s);
        return Scalar(std::move(value));
    }
    bool binary(json::binary_t&) { return Scalar(Value::Of(Value::Kind::Other)); }
    bool key(json::string_t& k) {
        key_ = std::move(k);
        return true;
    }
    bool start_object(std::size_t) { return Open(true); }
    bool start_array(std::size_t) { return Open(false); }
    bool end_object() { return Close(); }
    bool end_array() { return Close(); }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

private:
    // A value that is not a container.
    bool Scalar(Value value) {
        if (Value* slot = Slot()) *slot = std::move(value);
        if (depth_ == 2 && inFiles_) raw_->files.emplace_back();
        return true;
    }

    bool Open(bool isObject) {
        if (depth_ == 0) {
            raw_->isObject = isObject;
        } else if (depth_ == 1 && raw_->isObject && key_ == "files") {
            // The last "files" counts, as it would for any reader that keeps one value per key.
            raw_->files.clear();
            raw_->filesListed = !isObject;
            inFiles_ = !isObject;
        } else if (depth_ == 2 && inFiles_) {
            raw_->files.emplace_back();
            raw_->files.back().isObject = isObject;
            inEntry_ = isObject;
        } else if (Value* slot = Slot()) {
            *slot = Value::Of(Value::Kind::Other);
        }
        ++depth_;
        return true;
    }

    bool Close() {
        --depth_;
        if (depth_ == 1) inFiles_ = false;
        if (depth_ == 2) inEntry_ = false;
        return true;
    }

    // Where a value at the current place belongs, or null when nowhere.
    Value* Slot() {
        if (depth_ == 1 && raw_->isObject) {
            if (key_ == "format") return &raw_->format;
            if (key_ == "identity") return &raw_->identity;
            if (key_ == "time") return &raw_->time;
            if (key_ == "files") {
                raw_->files.clear();
                raw_->filesListed = false;
            }
            return nullptr;
        }
        if (depth_ == 3 && inEntry_) {
            RawEntry& entry = raw_->files.back();
            if (key_ == "file") return &entry.file;
            if (key_ == "length") return &entry.length;
            if (key_ == "capacity") return &entry.capacity;
            if (key_ == "sha256") return &entry.sha256;
            if (key_ == "capacity_from") return &entry.capacityFrom;
        }
        return nullptr;
    }

    RawManifest* raw_;
    int depth_ = 0;
    bool inFiles_ = false;
    bool inEntry_ = false;
    std::string key_;
};

Outcome Damaged(const std::string& what) {
    return Failure(FailureKind::PcFile, "damaged backup: " + what);
}

bool IsHexDigest(const std::string& text) {
    if (text.size() != Sha256HexDigits) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

bool InWord(const Value& value) { return value.IsUnsigned() && value.number <= LargestWord; }

Outcome CheckEntry(const RawEntry& raw, ManifestEntry* entry) {
    if (!raw.isObject) return Damaged("a file entry is not an object");
    const Value& number = raw.file;
    if (!number.IsInteger() || number.kind == Value::Kind::Negative || number.number < 1 || number.number > FileCount) {
        return Damaged("a file number outside 1 to 8");
    }
    const std::string name = "file " + std::to_string(number.number);
    if (!InWord(raw.length)) return Damaged(name + " has no valid length");
    if (raw.capacity.kind != Value::Kind::Absent && !InWord(raw.capacity)) return Damaged(name + " has an invalid capacity");
    if (!raw.sha256.IsText() || !IsHexDigest(raw.sha256.text)) return Damaged(name + " has no valid sha256");
    entry->facts.number = static_cast<int>(number.number);
    entry->facts.length = static_cast<uint32_t>(raw.length.number);
    entry->facts.capacity = static_cast<uint32_t>(raw.capacity.number);
    entry->facts.capacityFromTable = raw.capacityFrom.IsText() && raw.capacityFrom.text == CapacityFromTable;
    entry->sha256 = raw.sha256.text;
    return Success();
}

bool IsFormatOne(const Value& format) {
    return (format.IsUnsigned() && format.number == static_cast<uint64_t>(BackupFormat)) ||
           (format.kind == Value::Kind::Float && format.real == BackupFormat);
}

}  // namespace

Outcome ParseManifest(std::span<const uint8_t> text, Manifest* manifest) {
    RawManifest raw;
    ManifestEvents events(&raw);
    if (!json::sax_parse(text.begin(), text.end(), &events) || !raw.isObject) {
        return Damaged("manifest.json is not valid JSON");
    }
    if (!IsFormatOne(raw.format)) return Damaged("manifest.json is not of format 1");
    if (!raw.filesListed) return Damaged("manifest.json lists no files");

    Manifest parsed;
    if (raw.identity.IsText()) parsed.identity = raw.identity.text;
    if (raw.time.IsText()) parsed.time = raw.time.text;
    std::set<int> seen;
    for (const RawEntry& item : raw.files) {
        ManifestEntry entry;
        const Outcome outcome = CheckEntry(item, &entry);
        if (!outcome.Ok()) return outcome;
        if (!seen.insert(entry.facts.number).second) {
            return Damaged("file " + std::to_string(entry.facts.number) + " is listed twice");
        }
        parsed.files.push_back(entry);
    }
    *manifest = std::move(parsed);
    return Success();
}
