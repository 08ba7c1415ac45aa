#pragma once
// One level of nesting of a recursive-descent parser while it lives. Parsing, evaluating and
// freeing what was parsed recurse once per level, so a parser counts its levels and refuses past
// its limit before the stack runs out. The refusal is the parser's own (it throws its message).

namespace korvex::store {

template <class Refuse> class NestingLevel {
public:
    NestingLevel(int& depth, int limit, Refuse refuse) : depth_(depth) {
        if (++depth_ > limit)
            refuse();
    }
    ~NestingLevel() { --depth_; }
    NestingLevel(const NestingLevel&) = delete;
    NestingLevel& operator=(const NestingLevel&) = delete;

private:
    int& depth_;
};

} // namespace korvex::store
