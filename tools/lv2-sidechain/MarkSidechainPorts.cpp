// Marks the audio input ports outside the main input group of a generated LV2 dsp.ttl as sidechain inputs
// (lv2:isSideChain), and their group as the main input's sidechain. The framework writes them as plain
// optional inputs, so hosts offer four main inputs and no sidechain to route. Idempotent.
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

namespace
{
const std::string kSideChainProperty = "lv2:isSideChain";

// The value of "predicate value ;" inside `text`, or "" when absent.
std::string valueOf(const std::string& text, const std::string& predicate)
{
    const auto at = text.find(predicate + " ");
    if (at == std::string::npos)
        return {};
    const auto start = at + predicate.size() + 1;
    const auto end = text.find_first_of(" ;\n", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// One "[ ... ]" port description: an audio input in another group than the main input gets the property,
// and its group is noted.
std::string markPort(const std::string& port, const std::string& mainGroup, std::set<std::string>& groups)
{
    const bool audioInput =
        port.find("lv2:InputPort") != std::string::npos && port.find("lv2:AudioPort") != std::string::npos;
    const auto group = valueOf(port, "pg:group");
    if (!audioInput || group.empty() || group == mainGroup)
        return port;
    groups.insert(group);
    if (port.find(kSideChainProperty) != std::string::npos)
        return port;

    const std::string optional = "lv2:portProperty lv2:connectionOptional";
    auto marked = port;
    if (const auto at = marked.find(optional); at != std::string::npos)
        return marked.insert(at + optional.size(), " , " + kSideChainProperty);
    const auto lineStart = marked.find("pg:group");
    return marked.insert(lineStart, "lv2:portProperty " + kSideChainProperty + " ;\n\t\t");
}

// The plug-in statement: every port of its "lv2:port [ ... ] , [ ... ]" list.
std::string markPlugin(const std::string& statement, const std::string& mainGroup,
                       std::set<std::string>& groups)
{
    std::string result;
    size_t position = 0;
    for (auto open = statement.find(" [\n"); open != std::string::npos;
         open = statement.find(" [\n", position))
    {
        const auto close = statement.find("\t]", open);
        if (close == std::string::npos)
            break;
        result += statement.substr(position, open - position);
        result += markPort(statement.substr(open, close - open), mainGroup, groups);
        position = close;
    }
    return result + statement.substr(position);
}

// A port group other than the main input's, holding sidechain ports: names the group it belongs to.
std::string markGroup(const std::string& statement, const std::string& mainGroup,
                      const std::set<std::string>& groups)
{
    const auto subjectEnd = statement.find_first_of(" \t\n");
    const auto subject = statement.substr(0, subjectEnd);
    if (groups.count(subject) == 0 || statement.find("pg:sideChainOf") != std::string::npos)
        return statement;
    const auto typeEnd = statement.find(" ;\n", subjectEnd);
    if (typeEnd == std::string::npos)
        return statement;
    auto marked = statement;
    return marked.insert(typeEnd + 3, "\tpg:sideChainOf " + mainGroup + " ;\n");
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2)
    {
        std::cerr << "usage: vivera-lv2-sidechain path/to/dsp.ttl\n";
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

    const auto mainGroup = valueOf(text, "pg:mainInput");
    if (mainGroup.empty())
        return 0; // no main input group: nothing to tell a sidechain from

    // Statements are separated by " .\n\n". First the ports, then the groups they name.
    const std::string separator = " .\n\n";
    std::string withPorts;
    std::set<std::string> sidechainGroups;
    size_t position = 0;
    for (auto at = text.find(separator);; at = text.find(separator, position))
    {
        const auto statement =
            text.substr(position, at == std::string::npos ? std::string::npos : at - position);
        const bool isPlugin = statement.find("a lv2:Plugin") != std::string::npos;
        withPorts += isPlugin ? markPlugin(statement, mainGroup, sidechainGroups) : statement;
        if (at == std::string::npos)
            break;
        withPorts += separator;
        position = at + separator.size();
    }

    std::string fixed;
    position = 0;
    for (auto at = withPorts.find(separator);; at = withPorts.find(separator, position))
    {
        fixed +=
            markGroup(withPorts.substr(position, at == std::string::npos ? std::string::npos : at - position),
                      mainGroup, sidechainGroups);
        if (at == std::string::npos)
            break;
        fixed += separator;
        position = at + separator.size();
    }

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
