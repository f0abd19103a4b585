// Any file content as a settings file: it loads, any entry can be read, and an entry written
// into it reads back exactly, before and after a save and a new load; other entries keep
// their values.

#include "FuzzCheck.h"
#include "ProfileFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QByteArray consume(FuzzedDataProvider& input, std::size_t most)
{
    const std::string text = input.ConsumeRandomLengthString(most);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

const QTemporaryDir& directory()
{
    // In memory where there is a tmpfs: a save per input.
    static const QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                       ? QStringLiteral("/dev/shm/pragant-fuzz-XXXXXX")
                                       : QDir::tempPath() + QStringLiteral("/pragant-fuzz-XXXXXX"));
    return dir;
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const QByteArray section = consume(input, 12);
    const QByteArray key = consume(input, 12);
    const QByteArray value = consume(input, 24);
    const QByteArray otherKey = consume(input, 12);
    const std::string rest = input.ConsumeRemainingBytesAsString();
    const QByteArray content(rest.data(), static_cast<qsizetype>(rest.size()));

    FUZZ_CHECK(directory().isValid());
    const QString path = directory().filePath(QStringLiteral("settings.ini"));
    FUZZ_CHECK(writeFile(path, content));

    ProfileFile file;
    FUZZ_CHECK(file.load(path));
    const QByteArray otherBefore = file.readString(section, otherKey, "\x01missing");
    if (!file.writeString(section, key, value))
        return 0;
    FUZZ_CHECK(file.readString(section, key) == value);
    const bool sameKey = otherKey.trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0;
    if (!sameKey)
        FUZZ_CHECK(file.readString(section, otherKey, "\x01missing") == otherBefore);

    FUZZ_CHECK(file.save(path));
    ProfileFile reloaded;
    FUZZ_CHECK(reloaded.load(path));
    FUZZ_CHECK(reloaded.readString(section, key) == value);
    FUZZ_CHECK(reloaded.lines() == file.lines());
    return 0;
}
