// Any bytes and any UTF-16 text through the code page conversions: a text that fits encodes
// and decodes back unchanged, and so do the bytes of every such text.

#include "Cp1250.h"
#include "FuzzCheck.h"

#include <QString>

#include <fuzzer/FuzzedDataProvider.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string raw = input.ConsumeRandomLengthString(256);
    const QByteArray bytes(raw.data(), static_cast<qsizetype>(raw.size()));
    const QString decoded = fromCp1250(bytes);
    if (fitsCp1250(decoded))
        FUZZ_CHECK(toCp1250(decoded) == bytes);

    QString text;
    while (input.remaining_bytes() >= 2)
        text.append(QChar(input.ConsumeIntegral<char16_t>())); // lone surrogates included
    if (fitsCp1250(text)) {
        const QByteArray encoded = toCp1250(text);
        FUZZ_CHECK(fromCp1250(encoded) == text);
        FUZZ_CHECK(encoded.size() == text.size()); // one byte per character
    }
    return 0;
}
