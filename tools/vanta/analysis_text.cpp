#include "analysis_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "zbmovgen.h"
#include "zorbutil.h"

namespace {

// Where each operation of the line starts and ends (the semicolon included).
struct Operation {
    std::size_t begin;
    std::size_t end;
    std::string_view opcode;
};

std::vector<Operation> operationsOf(std::string_view line, std::size_t from) {
    std::vector<Operation> operations;
    std::size_t at = from;
    while (at < line.size()) {
        while (at < line.size() && line[at] == ' ')
            ++at;
        if (at >= line.size()) break;
        const std::size_t begin = at;
        while (at < line.size() && line[at] != ' ' && line[at] != ';')
            ++at;
        const std::string_view opcode = line.substr(begin, at - begin);
        bool quoted = false;
        while (at < line.size() && (quoted || line[at] != ';')) {
            if (line[at] == '"') quoted = !quoted;
            ++at;
        }
        if (at >= line.size()) break;  // an operation without its semicolon stays as it is
        operations.push_back({begin, at + 1, opcode});
        ++at;
    }
    return operations;
}

std::size_t afterFourFields(std::string_view line) {
    std::size_t at = 0;
    for (int blanks = 0; blanks < 3; ++blanks) {
        at = line.find(' ', at);
        if (at == std::string_view::npos) return line.size();
        ++at;
    }
    const auto end = line.find(' ', at);
    return end == std::string_view::npos ? line.size() : end;
}

}  // namespace

int evaluationOf(const PositionResult& result) {
    if (!result.mate) return result.score;
    if (result.score > 0) return 32767 - (2 * result.score - 1);
    return -(32767 + 2 * result.score);
}

std::string_view positionFields(std::string_view line) {
    return line.substr(0, afterFourFields(line));
}

std::string fenOf(std::string_view line) {
    return std::string(positionFields(line)) + " 0 1";
}

bool carriesEvaluation(std::string_view line) {
    return line.find(" ce ") != std::string_view::npos;
}

std::string withResult(std::string_view line, const PositionResult& result) {
    static constexpr std::array<std::string_view, 4> replaced = {"acd", "acs", "ce", "pv"};
    const std::size_t fields = afterFourFields(line);
    std::string out(line.substr(0, fields));
    std::size_t kept = fields;
    for (const Operation& operation : operationsOf(line, fields)) {
        bool drop = false;
        for (auto opcode : replaced)
            drop = drop || operation.opcode == opcode;
        if (!drop) continue;
        // The operation goes with the blanks in front of it.
        std::size_t begin = operation.begin;
        while (begin > kept && line[begin - 1] == ' ')
            --begin;
        out.append(line.substr(kept, begin - kept));
        kept = operation.end;
    }
    out.append(line.substr(kept));
    while (!out.empty() && (out.back() == ' ' || out.back() == '\r'))
        out.pop_back();
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, " acd %d; acs %d; ce %d;", result.depth, result.seconds,
                  evaluationOf(result));
    out += numbers;
    if (!result.pv.empty()) out += " pv " + result.pv + ";";
    return out;
}

std::string scoreText(bool mate, int score) {
    char text[32];
    if (mate) {
        std::snprintf(text, sizeof text, "Mate %d", score);
    } else {
        std::snprintf(text, sizeof text, "%c%d.%02d", score < 0 ? '-' : '+', std::abs(score) / 100,
                      std::abs(score) % 100);
    }
    return text;
}

std::string fittedLine(std::string head, std::string_view words) {
    const std::size_t room = kLineFileLimit - 2 - std::min(head.size(), kLineFileLimit - 2);
    if (words.size() > room) {
        // Cut before the word that would not fit, so no move is offered half.
        const auto blank = words.rfind(' ', room);
        words = words.substr(0, blank == std::string_view::npos ? 0 : blank);
        while (!words.empty() && words.back() == ' ')
            words.remove_suffix(1);
    }
    return head.append(words).append("\r\n");
}

std::string epdAnalysisLine(int position, int depth, const std::string& rest) {
    char head[32];
    std::snprintf(head, sizeof head, "%4d  %-7d ", position, depth);
    return fittedLine(head, rest);
}

std::string gameAnalysisLine(int depth, const std::string& pv) {
    char head[16];
    std::snprintf(head, sizeof head, "%3d: ", depth);
    return fittedLine(head, pv);
}

std::optional<std::string> sanVariation(const std::string& fen, const std::vector<std::string>& uci,
                                        std::size_t maxMoves) {
    auto board = zorb::allocateBoard();
    if (!board || !zorb::setUpFromFen(*board, fen)) return std::nullopt;
    std::string text;
    for (std::size_t i = 0; i < uci.size() && i < maxMoves; ++i) {
        const int index = zorb::findUciMove(*board, uci[i]);
        if (index < 0 || !zorb::isLegalMove(*board, index)) break;
        const auto san = zorb::sanOfMove(*board, index);
        if (!san || !zorb::makeMove(*board, index)) break;
        if (!text.empty()) text += ' ';
        text += *san;
    }
    return text;
}

bool playablePosition(const std::string& fen) {
    auto board = zorb::allocateBoard();
    if (!board || !zorb::setUpFromFen(*board, fen)) return false;
    for (int file = 1; file <= 8; ++file)
        for (int rank : {1, 8})
            if (board->squares[zorb::squareOf(file, rank)].kind == zorb::Pawn) return false;
    const int waiting = board->side == zorb::White ? zorb::Black : zorb::White;
    return !zorb::squareAttacked(*board, board->pieces(waiting)[0].square, board->side);
}
