#pragma once
// Every call on the line, read off its shape (link/KestComOperations.h for
// the 25 operations, Protocol.h for the test interface): the library
// encodes a call's arguments and decodes the answer into the caller's
// places; the terminal decodes the arguments, calls the engine and encodes
// its answer. Plain C++; nothing else reads a shape.
//
// Given arguments go in order: a name as its significant text, a text as its
// bytes (up to the length before it, when it has one) and a zero, a number as
// 4 bytes, a clock count as 8, the room for a text read back as 4 (at most
// kTextReadLimit). A length given before a text is not sent. Places written
// back come after the result, in order, only when the result is not 0.

#include "link/KestComAbi.h"
#include "link/KestComOperations.h"
#include "terminal/engine/CopyText.h"
#include "terminal/engine/SignificantName.h"
#include "terminal/engine/SimTerminalTest.h"
#include "terminal/line/LineTest.h"
#include "terminal/line/Protocol.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace terminal::line {

namespace codec {

// Room for the longest parameter list.
inline constexpr std::size_t kMostParameters = 16;

constexpr bool IsCount(char letter)
{
    return letter >= '1' && letter <= '9';
}

template <typename P>
constexpr bool LetterFits(char letter)
{
    if constexpr (std::is_same_v<P, char *>)
        return letter == 'n' || letter == 't' || letter == 'o' || letter == 'x';
    else if constexpr (std::is_same_v<P, const char *>)
        return letter == 'n' || letter == 't';
    else if constexpr (std::is_same_v<P, int32_t>)
        return letter == 'i' || letter == 'z' || letter == 's';
    else if constexpr (std::is_same_v<P, int64_t>)
        return letter == 'L';
    else if constexpr (std::is_same_v<P, int32_t *>)
        return letter == 'p' || IsCount(letter);
    else if constexpr (std::is_same_v<P, int64_t *>)
        return letter == 'P';
    else if constexpr (std::is_same_v<P, uint8_t *>)
        return letter == 'b';
    else if constexpr (std::is_same_v<P, SimEntry *>)
        return letter == 'e';
    else
        return false;
}

template <typename Function>
struct Signature;
template <typename R, typename... P>
struct Signature<R(KESTCOM_CALL *)(P...)>
{
    using Result = R;
    static constexpr std::size_t kCount = sizeof...(P);
    static constexpr bool fits(std::string_view shape)
    {
        std::size_t i = 0;
        return kCount <= kMostParameters && shape.size() == kCount
               && (LetterFits<P>(shape[i++]) && ...);
    }
};

#define LINE_SHAPE_FITS(op, shape)                                                                 \
    static_assert(Signature<kestcom_abi::op>::fits(ShapeOf(Op::op)),                               \
                  #op ": its shape and its signature differ");
KESTCOM_OPERATIONS(LINE_SHAPE_FITS)
#undef LINE_SHAPE_FITS
#define LINE_TEST_SHAPE_FITS(op, shape)                                                            \
    static_assert(Signature<decltype(&::op)>::fits(ShapeOf(Op::op)),                               \
                  #op ": its shape and its signature differ");
LINE_ENGINE_TEST_CALLS(LINE_TEST_SHAPE_FITS)
LINE_TERMINAL_TEST_CALLS(LINE_TEST_SHAPE_FITS)
#undef LINE_TEST_SHAPE_FITS

// --- the library's side ---

struct Encoding
{
    Writer &writer;
    bool good = true;
    int32_t textLength = -1; // the length given for the next text
};

inline void Encode(Encoding &e, char letter, int32_t value)
{
    if (letter == 'z') {
        e.textLength = value;
        e.good = e.good && value >= 0;
    } else if (letter == 's') {
        e.good = e.good && value > 0;
        e.writer.i32(std::clamp(value, 0, kTextReadLimit));
    } else {
        e.writer.i32(value);
    }
}

inline void Encode(Encoding &e, char, int64_t value)
{
    e.writer.i64(value);
}

inline void Encode(Encoding &e, char letter, const char *value)
{
    if (letter == 'n') {
        e.writer.text(engine::SignificantName(value));
    } else if (letter == 't' && value) {
        const std::size_t limit = e.textLength >= 0 ? std::size_t(e.textLength) : kMaxBody;
        const std::string_view text(value, strnlen(value, limit));
        // The longest text a frame carries after its other arguments; the
        // library never cuts one.
        e.good = e.good && text.size() < kMaxBody - 64;
        e.writer.text(text);
    } else if (!value) {
        e.good = false;
    }
}

inline void Encode(Encoding &e, char letter, char *value)
{
    Encode(e, letter, static_cast<const char *>(value));
}

template <typename T>
void Encode(Encoding &e, char, T *place)
{
    e.good = e.good && place != nullptr;
}

// The places written back, read from an answer before any is written.
struct Results
{
    std::array<int64_t, kMostParameters> numbers{};
    std::array<std::array<int32_t, 9>, kMostParameters> counted{};
    std::array<SimEntry, kMostParameters> entries{};
    std::array<std::string_view, kMostParameters> texts;
};

inline void Read(Reader &r, Results &out, std::size_t i, char letter)
{
    if (letter == 'o' || letter == 'x') {
        out.texts[i] = r.text();
    } else if (letter == 'p') {
        out.numbers[i] = r.i32();
    } else if (letter == 'P') {
        out.numbers[i] = r.i64();
    } else if (letter == 'b') {
        out.numbers[i] = r.u8();
    } else if (IsCount(letter)) {
        for (int k = 0; k < letter - '0'; ++k)
            out.counted[i][std::size_t(k)] = r.i32();
    } else if (letter == 'e') {
        SimEntry &e = out.entries[i];
        e.seconds = r.i32();
        e.cardCode = r.i32();
        e.aux1 = r.u8();
        e.justification = r.u8();
        e.presence = r.u8();
        e.orValue = r.i32();
        e.code = r.i32();
    }
}

// The room a text read back has: the parameter after it.
struct Room
{
    int32_t size = 0;
};

inline void Write(const Results &in, std::size_t i, char letter, char *place, Room room)
{
    if (letter == 'o') {
        std::memcpy(place, in.texts[i].data(), in.texts[i].size());
        place[in.texts[i].size()] = '\0';
    } else if (letter == 'x') {
        engine::CopyText(in.texts[i], place, room.size);
    }
}
inline void Write(const Results &in, std::size_t i, char letter, int32_t *place, Room)
{
    if (IsCount(letter))
        std::copy_n(in.counted[i].begin(), letter - '0', place);
    else
        *place = int32_t(in.numbers[i]);
}
inline void Write(const Results &in, std::size_t i, char, int64_t *place, Room)
{
    *place = in.numbers[i];
}
inline void Write(const Results &in, std::size_t i, char, uint8_t *place, Room)
{
    *place = uint8_t(in.numbers[i]);
}
inline void Write(const Results &in, std::size_t i, char, SimEntry *place, Room)
{
    *place = in.entries[i];
}
template <typename T>
void Write(const Results &, std::size_t, char, T, Room)
{
}

template <typename T>
Room RoomIn(T value)
{
    if constexpr (std::is_same_v<T, int32_t>)
        return Room{value};
    else
        return Room{};
}

template <typename... P, std::size_t... I>
void WriteAll(const Results &in, [[maybe_unused]] std::string_view shape,
              [[maybe_unused]] std::tuple<P...> params, std::index_sequence<I...>)
{
    // Each place with the parameter after it, which is a text's room.
    [[maybe_unused]] const auto after = [&](auto index) {
        if constexpr (decltype(index)::value + 1 < sizeof...(P))
            return RoomIn(std::get<decltype(index)::value + 1>(params));
        else
            return Room{};
    };
    (Write(in, I, shape[I], std::get<I>(params), after(std::integral_constant<std::size_t, I>{})),
     ...);
}

// --- the terminal's side ---

// The arguments of a request, held for the engine's call, with room for
// what it writes back.
struct Held
{
    std::array<std::string, kMostParameters> texts;
    std::array<int32_t, kMostParameters> numbers{};
    std::array<int64_t, kMostParameters> clock{};
    std::array<uint8_t, kMostParameters> bytes{};
    std::array<std::array<int32_t, 9>, kMostParameters> counted{};
    std::array<SimEntry, kMostParameters> entries{};
};

inline void Take(Reader &args, Held &held, std::size_t i, char letter)
{
    if (letter == 'n' || letter == 't')
        held.texts[i] = std::string(args.text());
    else if (letter == 'i')
        held.numbers[i] = args.i32();
    else if (letter == 's')
        held.numbers[i] = std::clamp(args.i32(), 0, kTextReadLimit);
    else if (letter == 'L')
        held.clock[i] = args.i64();
}

template <typename P>
P Argument(Held &held, std::string_view shape, std::size_t i)
{
    const char letter = shape[i];
    if constexpr (std::is_same_v<P, char *> || std::is_same_v<P, const char *>) {
        if (letter == 'o')
            held.texts[i].assign(16, '\0'); // the engine writes nine bytes and a zero
        else if (letter == 'x')
            held.texts[i].assign(std::size_t(held.numbers[i + 1]) + 1, '\0');
        return held.texts[i].data();
    } else if constexpr (std::is_same_v<P, int32_t>) {
        return letter == 'z' ? int32_t(held.texts[i + 1].size()) : held.numbers[i];
    } else if constexpr (std::is_same_v<P, int64_t>) {
        return held.clock[i];
    } else if constexpr (std::is_same_v<P, int32_t *>) {
        return IsCount(letter) ? held.counted[i].data() : &held.numbers[i];
    } else if constexpr (std::is_same_v<P, int64_t *>) {
        return &held.clock[i];
    } else if constexpr (std::is_same_v<P, uint8_t *>) {
        return &held.bytes[i];
    } else {
        return &held.entries[i];
    }
}

inline void WriteBack(Writer &w, Held &held, std::size_t i, char letter)
{
    if (letter == 'o') {
        w.text(std::string_view(held.texts[i].data(), strnlen(held.texts[i].data(), kNameBackBytes)));
    } else if (letter == 'x') {
        const std::size_t room = std::size_t(held.numbers[i + 1]);
        w.text(std::string_view(held.texts[i].data(), strnlen(held.texts[i].data(), room)));
    } else if (letter == 'p') {
        w.i32(held.numbers[i]);
    } else if (letter == 'P') {
        w.i64(held.clock[i]);
    } else if (letter == 'b') {
        w.u8(held.bytes[i]);
    } else if (IsCount(letter)) {
        for (int k = 0; k < letter - '0'; ++k)
            w.i32(held.counted[i][std::size_t(k)]);
    } else if (letter == 'e') {
        const SimEntry &e = held.entries[i];
        w.i32(e.seconds).i32(e.cardCode).u8(e.aux1).u8(e.justification).u8(e.presence);
        w.i32(e.orValue).i32(e.code);
    }
}

} // namespace codec

// The library's side: the request for a call, or nullopt when an argument
// cannot be sent (a null text or place, a negative length, no room for a
// text, a text too long for a frame). A null name goes as an empty one, for
// the terminal to refuse.
template <typename... P>
std::optional<Writer> EncodeRequest(Op op, P... params)
{
    const std::string_view shape = ShapeOf(op);
    if (shape.size() != sizeof...(P))
        return std::nullopt;
    Writer writer(0, uint8_t(op));
    codec::Encoding e{writer};
    std::size_t i = 0;
    (codec::Encode(e, shape[i++], params), ...);
    if (!e.good)
        return std::nullopt;
    return writer;
}

// The library's side: what an answer's results hold, into the caller's
// places, all or none; false when any is missing, cut short or too long.
// A clock count the call returns comes first, into `returned`.
template <typename... P>
bool DecodeResults(Op op, std::string_view results, int64_t *returned, P... params)
{
    const std::string_view shape = ShapeOf(op);
    if (shape.size() != sizeof...(P))
        return false;
    Reader r(results);
    const int64_t value = returned ? r.i64() : 0;
    codec::Results read;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        codec::Read(r, read, i, shape[i]);
        if (shape[i] == 'o' && read.texts[i].size() >= kNameBackBytes)
            return false; // more than the caller's buffer holds
    }
    if (!r.complete())
        return false;
    if (returned)
        *returned = value;
    codec::WriteAll(read, shape, std::tuple<P...>(params...), std::index_sequence_for<P...>{});
    return true;
}

// The terminal's side: one request's arguments read (all of them and
// nothing left over, else nullopt and the engine never hears of it), the
// engine called with them, and its answer with the results after the result.
struct Served
{
    int32_t result = 0;
    std::string answer;
};

template <typename Function, typename Engine>
std::optional<Served> ServeRequest(Op op, uint8_t sequence, Reader &args, Engine &&engine)
{
    using Result = typename codec::Signature<Function>::Result;
    const std::string_view shape = ShapeOf(op);
    codec::Held held;
    for (std::size_t i = 0; i < shape.size(); ++i)
        codec::Take(args, held, i, shape[i]);
    if (!args.complete())
        return std::nullopt;
    const auto call = [&]<typename R, typename... P, std::size_t... I>(
                          R(KESTCOM_CALL *)(P...), std::index_sequence<I...>) {
        return engine(codec::Argument<P>(held, shape, I)...);
    };
    constexpr auto each = std::make_index_sequence<codec::Signature<Function>::kCount>{};
    Served served;
    Writer answer(sequence, uint8_t(Status::Ok));
    if constexpr (std::is_void_v<Result>) {
        call(Function{}, each);
        served.result = 1;
        answer.i32(served.result);
    } else if constexpr (std::is_same_v<Result, int64_t>) {
        const int64_t value = call(Function{}, each);
        served.result = 1;
        answer.i32(served.result).i64(value);
    } else {
        served.result = call(Function{}, each);
        answer.i32(served.result);
    }
    for (std::size_t i = 0; served.result != 0 && i < shape.size(); ++i)
        codec::WriteBack(answer, held, i, shape[i]);
    served.answer = answer.frame();
    return served;
}

} // namespace terminal::line
