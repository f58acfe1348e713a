// Rewrites the scale points of choice parameters in a generated LV2 dsp.ttl so that their values are item
// indices. The framework writes normalised values (0, 0.2, 0.4, ...) while the parameter's range is the
// index range (0..5), so hosts that offer the list would send the wrong item. Idempotent.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace
{
std::string fixBlock(const std::string& block)
{
    if (block.find("lv2:enumeration") == std::string::npos)
        return block;
    const auto maximumAt = block.find("lv2:maximum ");
    if (maximumAt == std::string::npos)
        return block;
    const double maximum = std::stod(block.substr(maximumAt + 12));

    std::string result;
    size_t position = 0;
    int index = 0;
    const std::string key = "rdf:value ";
    for (auto at = block.find(key); at != std::string::npos; at = block.find(key, position))
    {
        const auto valueStart = at + key.size();
        const auto valueEnd = block.find(' ', valueStart);
        result += block.substr(position, valueStart - position);
        result += index <= maximum ? std::to_string(index) : block.substr(valueStart, valueEnd - valueStart);
        ++index;
        position = valueEnd;
    }
    // Only a full list 0..maximum is rewritten; anything else is left as written.
    if (index != static_cast<int>(maximum) + 1)
        return block;
    return result + block.substr(position);
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: vivera-lv2-scale-points path/to/dsp.ttl\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
    {
        std::cerr << "cannot read " << argv[1] << "\n";
        return 1;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    in.close();

    // Statements are separated by " .\n\n"; each parameter is one statement.
    std::string fixed;
    size_t position = 0;
    const std::string separator = " .\n\n";
    for (auto at = text.find(separator); at != std::string::npos; at = text.find(separator, position))
    {
        fixed += fixBlock(text.substr(position, at - position)) + separator;
        position = at + separator.size();
    }
    fixed += text.substr(position);

    if (fixed != text)
    {
        std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
        out << fixed;
        if (!out)
        {
            std::cerr << "cannot write " << argv[1] << "\n";
            return 1;
        }
    }
    return 0;
}
