#include "machine_formats.h"

#include "name_bytes.h"
#include "text_forms.h"

#include <QString>
#include <charconv>
#include <cmath>

namespace {

void appendNumber(QByteArray& out, double value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr - text);
}

void appendCount(QByteArray& out, std::uint64_t count)
{
    char text[24];
    const auto result = std::to_chars(text, text + sizeof text, count);
    out.append(text, result.ptr - text);
}

void appendFigure(QByteArray& out, const std::optional<double>& figure)
{
    if (figure && std::isfinite(*figure))
        appendNumber(out, *figure);
    else
        out += "null";
}

const FrequencyState& classes()
{
    static const FrequencyState state = [] {
        FrequencyState classified;
        classifyCharacters(classified);
        return classified;
    }();
    return state;
}

// The count of each byte value in the subset, 0 outside it.
WideCounts subsetCounts(const WideCounts& counts, Subset subset)
{
    WideCounts inside{};
    for (int v = 0; v < 256; ++v)
        if (inSubset(subset, classes().charTypes[std::size_t(v)]))
            inside[std::size_t(v)] = counts[std::size_t(v)];
    return inside;
}

// Each count over the total, as the window divides; 0 for all where the
// subset holds nothing.
std::array<double, 256> frequencies(const WideCounts& inside)
{
    std::uint64_t total = 0;
    for (const std::uint64_t count : inside)
        total += count;
    std::array<double, 256> shares{};
    if (total > 0)
        for (int v = 0; v < 256; ++v)
            shares[std::size_t(v)] = double(inside[std::size_t(v)]) / double(total);
    return shares;
}

void appendJsonString(QByteArray& out, const QByteArray& bytes)
{
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (qsizetype i = 0; i < bytes.size();) {
        const std::size_t length = utf8SequenceLength(bytes.constData() + i, std::size_t(bytes.size() - i));
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (length == 0) {
            out += "\\udc";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else if (byte == '"' || byte == '\\') {
            out += '\\';
            out += char(byte);
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out.append(bytes.constData() + i, qsizetype(length));
        }
        i += qsizetype(std::max<std::size_t>(length, 1));
    }
    out += '"';
}

template <typename Number>
void appendJsonArray(QByteArray& out, const std::array<Number, 256>& values)
{
    out += '[';
    for (std::size_t v = 0; v < values.size(); ++v) {
        if (v > 0)
            out += ',';
        if constexpr (std::is_same_v<Number, double>)
            appendNumber(out, values[v]);
        else
            appendCount(out, values[v]);
    }
    out += ']';
}

QByteArray jsonLine(const SourceResult& source, Subset subset)
{
    QByteArray out;
    out.reserve(4096);
    out += "{\"file\":";
    appendJsonString(out, source.name);
    out += ",\"bytes\":";
    appendCount(out, std::uint64_t(source.total));
    out += ",\"subset\":\"";
    out += subsetName(subset);
    out += "\",\"counts\":";
    appendJsonArray(out, source.counts);
    out += ",\"frequencies\":";
    appendJsonArray(out, frequencies(subsetCounts(source.counts, subset)));
    const std::pair<const char*, const std::optional<double>&> figures[] = {
        {"entropy", source.figures.entropy},
        {"chi_square", source.figures.chiSquare},
        {"chi_square_percent", source.figures.chiSquarePercent},
        {"mean", source.figures.mean},
        {"monte_carlo_pi", source.figures.monteCarloPi},
        {"serial_correlation", source.figures.serialCorrelation},
    };
    for (const auto& [key, figure] : figures) {
        out += ",\"";
        out += key;
        out += "\":";
        appendFigure(out, figure);
    }
    out += "}\n";
    return out;
}

// The name as a CSV field: quoted where it holds a comma, a quote or a line
// end, its quotes doubled.
QByteArray csvField(const QByteArray& text)
{
    if (!text.contains(',') && !text.contains('"') && !text.contains('\n') && !text.contains('\r'))
        return text;
    QByteArray quoted = text;
    quoted.replace("\"", "\"\"");
    return '"' + quoted + '"';
}

// The name as a TSV field: no TAB or line end may stand in one.
QByteArray tsvField(const QByteArray& text)
{
    QByteArray field;
    field.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\\': field += "\\\\"; break;
        case '\t': field += "\\t"; break;
        case '\n': field += "\\n"; break;
        case '\r': field += "\\r"; break;
        default: field += c;
        }
    }
    return field;
}

QByteArray rows(const SourceResult& source, Subset subset, char separator)
{
    // U+FFFD for what is not UTF-8: these formats have no escape for it.
    const QByteArray name = QString::fromUtf8(source.name).toUtf8();
    const QByteArray file = separator == ',' ? csvField(name) : tsvField(name);
    const WideCounts inside = subsetCounts(source.counts, subset);
    const std::array<double, 256> shares = frequencies(inside);
    QByteArray out;
    out.reserve(256 * (file.size() + 32));
    for (int v = 0; v < 256; ++v) {
        out += file;
        out += separator;
        appendCount(out, std::uint64_t(v));
        out += separator;
        out += hexText(v).c_str();
        out += separator;
        appendCount(out, inside[std::size_t(v)]);
        out += separator;
        appendNumber(out, shares[std::size_t(v)]);
        out += '\n';
    }
    return out;
}

} // namespace

const char* subsetName(Subset subset)
{
    switch (subset) {
    case Subset::AllCharacters: return "all";
    case Subset::UpperCaseOnly: return "A-Z";
    case Subset::PrintableOnly: return "printable";
    case Subset::None: break;
    }
    return "none";
}

QByteArray formatHeader(MachineFormat format)
{
    switch (format) {
    case MachineFormat::Json: return {};
    case MachineFormat::Csv: return "file,code,hex,count,frequency\n";
    case MachineFormat::Tsv: return "file\tcode\thex\tcount\tfrequency\n";
    }
    return {};
}

QByteArray formatSource(MachineFormat format, const SourceResult& source, Subset subset)
{
    switch (format) {
    case MachineFormat::Json: return jsonLine(source, subset);
    case MachineFormat::Csv: return rows(source, subset, ',');
    case MachineFormat::Tsv: return rows(source, subset, '\t');
    }
    return {};
}
