#pragma once
// Each of the 25 operations on the wire, read off its shape in the one list
// (link/KestComOperations.h): the library encodes a call's arguments and
// decodes the answer into the caller's places; the terminal decodes the
// arguments, calls the engine and encodes its answer. Plain C++.
//
// Given arguments go in order: a name as its significant text, a text as its
// bytes (up to the length before it, when it has one) and a zero, a number as
// 4 bytes. The length itself is not sent. Places written back come after the
// result, in order, only when the result is not 0: a name as up to nine bytes
// and a zero, a number as 4 bytes, a byte as 1.

#include "link/KestComAbi.h"
#include "link/KestComOperations.h"
#include "terminal/engine/SignificantName.h"
#include "terminal/line/Protocol.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace velmora::line {

namespace codec {

template <typename P>
constexpr bool LetterFits(char letter)
{
    if constexpr (std::is_same_v<P, char *>)
        return letter == 'n' || letter == 't' || letter == 'o';
    else if constexpr (std::is_same_v<P, int32_t>)
        return letter == 'i' || letter == 'z';
    else if constexpr (std::is_same_v<P, int32_t *>)
        return letter == 'p';
    else if constexpr (std::is_same_v<P, uint8_t *>)
        return letter == 'b';
    else
        return false;
}

template <typename Abi>
struct Signature;
template <typename... P>
struct Signature<int32_t(KESTCOM_CALL *)(P...)>
{
    static constexpr std::size_t kCount = sizeof...(P);
    static constexpr bool fits(std::string_view shape)
    {
        std::size_t i = 0;
        return shape.size() == kCount && (LetterFits<P>(shape[i++]) && ...);
    }
};

#define LINE_SHAPE_FITS(op, shape)                                                                 \
    static_assert(Signature<kestcom_abi::op>::fits(shape), #op ": its shape and its signature differ");
KESTCOM_OPERATIONS(LINE_SHAPE_FITS)
#undef LINE_SHAPE_FITS

// One parameter of a call, as the library has it.
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
    } else {
        e.writer.i32(value);
    }
}

inline void Encode(Encoding &e, char letter, char *value)
{
    if (letter == 'n') {
        e.writer.text(sim::SignificantName(value));
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

template <typename T>
void Encode(Encoding &e, char, T *place)
{
    e.good = e.good && place != nullptr;
}

// Room for the longest shape.
inline constexpr std::size_t kMostParameters = 16;
static_assert([] {
    for (const std::string_view shape : kShapes)
        if (shape.size() > kMostParameters)
            return false;
    return true;
}());

// The places written back, read from an answer before any is written.
struct Results
{
    std::array<int32_t, kMostParameters> numbers{};
    std::array<uint8_t, kMostParameters> bytes{};
    std::string_view name;
};

inline void Read(Reader &r, Results &out, std::size_t i, char letter)
{
    if (letter == 'o')
        out.name = r.text();
    else if (letter == 'p')
        out.numbers[i] = r.i32();
    else if (letter == 'b')
        out.bytes[i] = r.u8();
}

inline void Write(const Results &in, std::size_t, char letter, char *place)
{
    if (letter == 'o') {
        std::memcpy(place, in.name.data(), in.name.size());
        place[in.name.size()] = '\0';
    }
}
inline void Write(const Results &in, std::size_t i, char, int32_t *place)
{
    *place = in.numbers[i];
}
inline void Write(const Results &in, std::size_t i, char, uint8_t *place)
{
    *place = in.bytes[i];
}
inline void Write(const Results &, std::size_t, char, int32_t) {}

// The arguments of a request, held for the engine's call.
struct Held
{
    std::array<std::string, kMostParameters> texts;
    std::array<int32_t, kMostParameters> numbers{};
    std::array<uint8_t, kMostParameters> bytes{};
    std::array<char, 16> name{}; // the engine writes nine bytes and a zero
};

template <typename P>
P Argument(Held &held, std::size_t i, char letter)
{
    if constexpr (std::is_same_v<P, char *>)
        return letter == 'o' ? held.name.data() : held.texts[i].data();
    else if constexpr (std::is_same_v<P, int32_t>)
        return letter == 'z' ? int32_t(held.texts[i + 1].size()) : held.numbers[i];
    else if constexpr (std::is_same_v<P, int32_t *>)
        return &held.numbers[i];
    else
        return &held.bytes[i];
}

template <typename Abi>
struct Call;
template <typename... P>
struct Call<int32_t(KESTCOM_CALL *)(P...)>
{
    template <typename Engine, std::size_t... I>
    static int32_t with(Held &held, std::string_view shape, Engine &engine,
                        std::index_sequence<I...>)
    {
        return engine(Argument<P>(held, I, shape[I])...);
    }
    template <typename Engine>
    static int32_t with(Held &held, std::string_view shape, Engine &engine)
    {
        return with(held, shape, engine, std::index_sequence_for<P...>{});
    }
};

} // namespace codec

// The library's side: the request for a call, or nullopt when an argument
// cannot be sent (a null text or place, a negative length, a text too long
// for a frame). A null name goes as an empty one, for the terminal to refuse.
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

// The library's side: the answer's results into the caller's places, all
// or none; false when any is missing, cut short or too long.
template <typename... P>
bool DecodeResults(Op op, std::string_view results, P... params)
{
    const std::string_view shape = ShapeOf(op);
    if (shape.size() != sizeof...(P))
        return false;
    Reader r(results);
    codec::Results read;
    for (std::size_t i = 0; i < shape.size(); ++i)
        codec::Read(r, read, i, shape[i]);
    if (!r.complete() || read.name.size() >= kNameBackBytes)
        return false;
    std::size_t i = 0;
    ((codec::Write(read, i, shape[i], params), ++i), ...);
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

template <typename Abi, typename Engine>
std::optional<Served> ServeRequest(Op op, uint8_t sequence, Reader &args, Engine &&engine)
{
    const std::string_view shape = ShapeOf(op);
    codec::Held held;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'n' || shape[i] == 't')
            held.texts[i] = std::string(args.text());
        else if (shape[i] == 'i')
            held.numbers[i] = args.i32();
    }
    if (!args.complete())
        return std::nullopt;
    Served served;
    served.result = codec::Call<Abi>::with(held, shape, engine);
    Writer answer(sequence, uint8_t(Status::Ok));
    answer.i32(served.result);
    for (std::size_t i = 0; served.result != 0 && i < shape.size(); ++i) {
        if (shape[i] == 'o')
            answer.text(std::string_view(held.name.data(), strnlen(held.name.data(), kNameBackBytes)));
        else if (shape[i] == 'p')
            answer.i32(held.numbers[i]);
        else if (shape[i] == 'b')
            answer.u8(held.bytes[i]);
    }
    served.answer = answer.frame();
    return served;
}

} // namespace velmora::line
