#pragma once

#include <QString>
#include <memory>
#include <optional>

// Reads one key of a profile (INI) file. Nothing when the file, section or
// key is missing or the value is empty; a value ends at a NUL character, and
// one longer than 254 characters comes back cut to 254. Section and key names
// match without regard to case. The file is UTF-8 or Latin-1, or UTF-16 or
// UTF-8 with a byte-order mark.
std::optional<QString> LeggiIni(const QString& section, const QString& key, const QString& file);

// Writes one key, creating the file, section or key when missing and keeping
// every other line, the encoding and the byte-order mark as they were. A new
// file is readable by its owner only. Returns false when the file cannot be
// written; callers that only remember a layout may ignore that.
bool ScriviIni(const QString& section, const QString& key, const QString& file,
               const QString& value);

constexpr int kIniValueLimit = 254;

// While one lives, each profile file its thread reads is read from disk
// once, and every value after the first comes from that reading: a run that
// reads the same settings for each of many documents. A file written through
// ScriviIni meanwhile is read again. One made while another lives adds
// nothing.
class IniReadOnce
{
public:
    IniReadOnce();
    ~IniReadOnce();
    IniReadOnce(const IniReadOnce&) = delete;
    IniReadOnce& operator=(const IniReadOnce&) = delete;

    struct Files;

private:
    std::unique_ptr<Files> m_files;
};
