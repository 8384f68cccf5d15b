#include "epd_judge.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace EpdJudge {

namespace {

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

}  // namespace

std::string operandAfter(std::string_view line, std::string_view opcode) {
    const auto at = line.find(opcode);
    if (at == std::string_view::npos) return {};
    const auto start = at + opcode.size();
    const auto end = line.find(';', start);
    return std::string(
        line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::string normalizedMove(std::string move) {
    std::replace(move.begin(), move.end(), '0', 'O');  // castling written with zeros
    move.erase(std::remove_if(move.begin(), move.end(),
                              [](char c) {
                                  return c == '+' || c == '#' || c == 'x' || c == '!' || c == '?' ||
                                         c == ':';
                              }),
               move.end());
    return move;
}

bool solves(std::string_view line, const std::string& move) {
    const auto best = wordsOf(operandAfter(line, "bm "));
    const auto avoid = wordsOf(operandAfter(line, "am "));
    auto holds = [&move](const std::vector<std::string>& moves) {
        return std::any_of(moves.begin(), moves.end(), [&move](const std::string& candidate) {
            return normalizedMove(candidate) == normalizedMove(move);
        });
    };
    return !move.empty() && (best.empty() || holds(best)) && !holds(avoid);
}

bool hasBestOrAvoidMoves(std::string_view line) {
    return !wordsOf(operandAfter(line, "bm ")).empty() ||
           !wordsOf(operandAfter(line, "am ")).empty();
}

std::string firstPvMove(std::string_view line) {
    const auto pv = wordsOf(operandAfter(line, "pv "));
    return pv.empty() ? std::string() : pv.front();
}

std::vector<std::pair<std::string, int>> pointList(std::string_view line) {
    std::vector<std::pair<std::string, int>> list;
    std::string text = operandAfter(line, "c0 ");
    const auto open = text.find('"');
    if (open == std::string::npos) return list;
    const auto close = text.find('"', open + 1);
    text = text.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    std::istringstream entries(text);
    for (std::string entry; std::getline(entries, entry, ',');) {
        const auto equals = entry.rfind('=');
        if (equals == std::string::npos) continue;
        const std::string move(trimmed(std::string_view(entry).substr(0, equals)));
        const std::string points(trimmed(std::string_view(entry).substr(equals + 1)));
        if (move.empty() || points.empty() ||
            !std::all_of(points.begin(), points.end(),
                         [](unsigned char c) { return std::isdigit(c) != 0; }) ||
            points.size() > 6)
            continue;
        list.emplace_back(move, std::stoi(points));
    }
    return list;
}

int pointsFor(const std::vector<std::pair<std::string, int>>& list, const std::string& move) {
    if (move.empty()) return 0;
    for (const auto& [candidate, points] : list)
        if (normalizedMove(candidate) == normalizedMove(move)) return points;
    return 0;
}

int mostPoints(const std::vector<std::pair<std::string, int>>& list) {
    int most = 0;
    for (const auto& entry : list)
        most = std::max(most, entry.second);
    return most;
}

std::string idOf(std::string_view line) {
    std::string id(trimmed(operandAfter(line, "id ")));
    if (id.size() >= 2 && id.front() == '"' && id.back() == '"') id = id.substr(1, id.size() - 2);
    return id;
}

std::string suiteOf(const std::string& id) {
    const auto dot = id.rfind('.');
    if (dot == std::string::npos || dot + 1 == id.size()) return id;
    const bool number = std::all_of(id.begin() + static_cast<std::ptrdiff_t>(dot) + 1, id.end(),
                                    [](unsigned char c) { return std::isdigit(c) != 0; });
    return number ? id.substr(0, dot) : id;
}

}  // namespace EpdJudge
