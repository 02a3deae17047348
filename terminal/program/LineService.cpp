#include "terminal/program/LineService.h"

#include "terminal/engine/KestComExports.h"
#include "terminal/engine/SimState.h"
#include "terminal/engine/SimTerminalTest.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace velmora::terminal {

using line::Op;
using line::Reader;
using line::Status;
using line::Writer;

namespace {

constexpr int32_t kTextReadLimit = 4096;

char *mutableText(std::string &text)
{
    return text.data();
}

Writer ok(uint8_t sequence, int32_t result)
{
    Writer w(sequence, static_cast<uint8_t>(Status::Ok));
    w.i32(result);
    return w;
}

bool opensPort(uint8_t op)
{
    return op == uint8_t(Op::InitializeCommWithoutError) || op == uint8_t(Op::IO_Open);
}

} // namespace

std::optional<FrameSplitter::Piece> FrameSplitter::next()
{
    while (m_skip > 0 && !m_buffer.empty()) {
        const std::size_t n = std::min(m_skip, m_buffer.size());
        m_buffer.erase(0, n);
        m_skip -= n;
    }
    const auto length = line::bodyLength(m_buffer);
    if (!length)
        return std::nullopt;
    Piece piece;
    if (*length > line::kMaxBody) {
        // Refused unread; its bytes are passed over as they come.
        const auto sequence = m_buffer.size() > 2 ? static_cast<uint8_t>(m_buffer[2]) : uint8_t(0);
        piece.failure = line::failureAnswer(sequence, Status::TooLong);
        piece.frameBytes = line::kLengthBytes + *length;
        m_skip = line::kLengthBytes + *length;
        return piece;
    }
    if (m_buffer.size() < line::kLengthBytes + *length)
        return std::nullopt;
    piece.body = m_buffer.substr(line::kLengthBytes, *length);
    piece.frameBytes = line::kLengthBytes + *length;
    m_buffer.erase(0, piece.frameBytes);
    if (piece.body.size() < 2)
        piece.failure = line::failureAnswer(piece.body.empty() ? 0 : uint8_t(piece.body[0]),
                                            Status::Malformed);
    return piece;
}

std::chrono::microseconds answerDelay(Pace pace, bool lineOperation, std::size_t requestBytes,
                                      std::size_t answerBytes, int32_t baud)
{
    if (pace == Pace::Instant || !lineOperation || baud <= 0)
        return std::chrono::microseconds{0};
    return line::exchangeTime(requestBytes, answerBytes, baud);
}

Reply LineService::handle(int connection, std::string_view body, std::size_t frameBytes)
{
    Reader args(body);
    const uint8_t sequence = args.u8();
    const uint8_t op = args.u8();
    Reply reply;
    if (!args.good()) {
        reply.bytes = line::failureAnswer(sequence, Status::Malformed);
        return reply;
    }
    if (!line::isKnownOperation(op)) {
        reply.bytes = line::failureAnswer(sequence, Status::UnknownOperation);
        return reply;
    }
    const int32_t baudBefore = sim::state().port.baud;
    reply.bytes = dispatch(connection, sequence, op, args);
    const int32_t baudAfter = sim::state().port.baud;
    reply.delay = answerDelay(m_pace, line::isLineOperation(op), frameBytes, reply.bytes.size(),
                              baudAfter > 0 ? baudAfter : baudBefore);
    return reply;
}

void LineService::disconnected(int connection)
{
    if (m_holder != connection)
        return;
    m_holder = -1;
    // The program's serial port is closed with it.
    sim::state().port = sim::Port{};
}

std::string LineService::dispatch(int connection, uint8_t sequence, uint8_t op, Reader &args)
{
    const auto malformed = [&] { return line::failureAnswer(sequence, Status::Malformed); };
    if (line::isLineOperation(op) && m_holder != -1 && m_holder != connection)
        return line::failureAnswer(sequence, Status::Busy);

    // Arguments are all read and checked before the engine hears of the call.
    std::string name;
    const auto readName = [&] { name = std::string(args.text()); };
    std::vector<int32_t> n;
    const auto ints = [&](int count) {
        for (int i = 0; i < count; ++i)
            n.push_back(args.i32());
    };
    std::string text;

    switch (static_cast<Op>(op)) {
    case Op::SetPCName:
        text = args.text();
        if (!args.complete())
            return malformed();
        return ok(sequence, SetPCName(mutableText(text))).frame();
    case Op::SetConfirmationsTimeout:
        ints(2);
        if (!args.complete())
            return malformed();
        return ok(sequence, SetConfirmationsTimeout(n[0], n[1])).frame();
    case Op::InitializeCommWithoutError:
    case Op::IO_Open: {
        ints(2);
        if (!args.complete())
            return malformed();
        const int32_t r = op == uint8_t(Op::IO_Open) ? IO_Open(n[0], n[1])
                                                     : InitializeCommWithoutError(n[0], n[1]);
        if (r != 0 && opensPort(op))
            m_holder = connection;
        return ok(sequence, r).frame();
    }
    case Op::InitializeCommWithoutOpen:
        ints(1);
        if (!args.complete())
            return malformed();
        return ok(sequence, InitializeCommWithoutOpen(n[0])).frame();
    case Op::TerminateComm: {
        ints(1);
        if (!args.complete())
            return malformed();
        const int32_t r = TerminateComm(n[0]);
        if (r != 0 && m_holder == connection)
            m_holder = -1;
        return ok(sequence, r).frame();
    }
    case Op::IO_Write:
        ints(1);
        text = args.text();
        if (!args.complete())
            return malformed();
        return ok(sequence, IO_Write(n[0], int32_t(text.size()), mutableText(text))).frame();
    case Op::Reset_Message:
    case Op::W_ReadSeconds:
    case Op::W_Kill: {
        readName();
        if (!args.complete())
            return malformed();
        char *nm = mutableText(name);
        const int32_t r = op == uint8_t(Op::Reset_Message) ? Reset_Message(nm)
                          : op == uint8_t(Op::W_ReadSeconds) ? W_ReadSeconds(nm)
                                                             : sim::killCommand(nm);
        return ok(sequence, r).frame();
    }
    case Op::W_SendSeconds:
    case Op::W_AdjustSeconds:
    case Op::W_DeleteEntry:
    case Op::W_SendReaderPointer:
    case Op::W_ClearEmployerName: {
        readName();
        ints(1);
        if (!args.complete())
            return malformed();
        char *nm = mutableText(name);
        int32_t r = 0;
        switch (static_cast<Op>(op)) {
        case Op::W_SendSeconds: r = W_SendSeconds(nm, n[0]); break;
        case Op::W_AdjustSeconds: r = W_AdjustSeconds(nm, n[0]); break;
        case Op::W_DeleteEntry: r = W_DeleteEntry(nm, n[0]); break;
        case Op::W_SendReaderPointer: r = W_SendReaderPointer(nm, n[0]); break;
        default: r = W_ClearEmployerName(nm, n[0]); break;
        }
        return ok(sequence, r).frame();
    }
    case Op::W_SendConfigurations:
        readName();
        ints(9);
        if (!args.complete())
            return malformed();
        return ok(sequence, W_SendConfigurations(mutableText(name), n[0], n[1], n[2], n[3], n[4],
                                                 n[5], n[6], n[7], n[8]))
            .frame();
    case Op::W_InsertEvent:
        readName();
        ints(7);
        if (!args.complete())
            return malformed();
        return ok(sequence,
                  W_InsertEvent(mutableText(name), n[0], n[1], n[2], n[3], n[4], n[5], n[6]))
            .frame();
    case Op::W_SendMessage: {
        readName();
        ints(1);
        text = args.text();
        const int32_t kind = args.i32();
        if (!args.complete())
            return malformed();
        return ok(sequence, W_SendMessage(mutableText(name), n[0], mutableText(text), kind))
            .frame();
    }
    case Op::W_ShowMessage:
        readName();
        ints(1);
        text = args.text();
        if (!args.complete())
            return malformed();
        return ok(sequence, W_ShowMessage(mutableText(name), n[0], mutableText(text))).frame();
    case Op::W_SendJustifications:
        readName();
        text = args.text();
        if (!args.complete())
            return malformed();
        return ok(sequence, W_SendJustifications(mutableText(name), mutableText(text))).frame();
    case Op::W_InsertEntry:
        readName();
        ints(6);
        if (!args.complete())
            return malformed();
        return ok(sequence,
                  W_InsertEntry(mutableText(name), n[0], n[1], n[2], n[3], n[4], n[5]))
            .frame();
    case Op::W_ReadPointers: {
        readName();
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0, c = 0;
        const int32_t r = W_ReadPointers(mutableText(name), &a, &b, &c);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b).i32(c);
        return w.frame();
    }
    case Op::W_SendAllPointers:
        readName();
        ints(3);
        if (!args.complete())
            return malformed();
        return ok(sequence, W_SendAllPointers(mutableText(name), n[0], n[1], n[2])).frame();
    case Op::W_SendEmployerName: {
        readName();
        ints(1);
        text = args.text();
        const int32_t card = args.i32();
        const int32_t last = args.i32();
        if (!args.complete())
            return malformed();
        return ok(sequence,
                  W_SendEmployerName(mutableText(name), n[0], mutableText(text), card, last))
            .frame();
    }
    case Op::W_ReceiveEntry: {
        if (!args.complete())
            return malformed();
        char clockName[16] = {};
        int32_t index = 0, seconds = 0, card = 0, orValue = 0, code = 0;
        uint8_t aux1 = 0, justification = 0, presence = 0;
        const int32_t r = W_ReceiveEntry(clockName, &index, &seconds, &card, &aux1,
                                         &justification, &presence, &orValue, &code);
        Writer w = ok(sequence, r);
        if (r) {
            w.text(std::string_view(clockName, strnlen(clockName, 10)));
            w.i32(index).i32(seconds).i32(card).u8(aux1).u8(justification).u8(presence);
            w.i32(orValue).i32(code);
        }
        return w.frame();
    }

    // --- test interface ---
    case Op::Sim_SetPace:
        ints(1);
        if (!args.complete())
            return malformed();
        m_pace = n[0] ? Pace::Instant : Pace::Wire;
        if (m_paceChanged)
            m_paceChanged(m_pace);
        return ok(sequence, 1).frame();
    case Op::Sim_TerminalProcess:
        if (!args.complete())
            return malformed();
        return ok(sequence, int32_t(m_processId)).frame();
    case Op::Sim_Reset:
    case Op::Sim_UseRealPcClock:
        if (!args.complete())
            return malformed();
        if (op == uint8_t(Op::Sim_Reset)) {
            Sim_Reset();
        } else {
            Sim_UseRealPcClock();
        }
        return ok(sequence, 1).frame();
    case Op::Sim_SetZeroTerminatedNames:
        ints(1);
        if (!args.complete())
            return malformed();
        Sim_SetZeroTerminatedNames(n[0]);
        return ok(sequence, 1).frame();
    case Op::Sim_LoadMorning:
        readName();
        if (!args.complete())
            return malformed();
        Sim_LoadMorning(name.c_str());
        return ok(sequence, 1).frame();
    case Op::Sim_SetPcClock:
    case Op::Sim_AdvancePcClock: {
        const int64_t value = args.i64();
        if (!args.complete())
            return malformed();
        if (op == uint8_t(Op::Sim_SetPcClock))
            Sim_SetPcClock(value);
        else
            Sim_AdvancePcClock(value);
        return ok(sequence, 1).frame();
    }
    case Op::Sim_PcClock: {
        if (!args.complete())
            return malformed();
        Writer w = ok(sequence, 1);
        w.i64(Sim_PcClock());
        return w.frame();
    }
    case Op::Sim_AddTerminal:
    case Op::Sim_RemoveTerminal:
    case Op::Sim_EntryCount:
    case Op::Sim_ReadClock:
    case Op::Sim_JustificationCount: {
        readName();
        if (!args.complete())
            return malformed();
        const char *nm = name.c_str();
        int32_t r = 0;
        switch (static_cast<Op>(op)) {
        case Op::Sim_AddTerminal: r = Sim_AddTerminal(nm); break;
        case Op::Sim_RemoveTerminal: r = Sim_RemoveTerminal(nm); break;
        case Op::Sim_EntryCount: r = Sim_EntryCount(nm); break;
        case Op::Sim_ReadClock: r = Sim_ReadClock(nm); break;
        default: r = Sim_JustificationCount(nm); break;
        }
        return ok(sequence, r).frame();
    }
    case Op::Sim_SetTerminalAnswering:
    case Op::Sim_PassCard: {
        readName();
        ints(1);
        if (!args.complete())
            return malformed();
        const int32_t r = op == uint8_t(Op::Sim_PassCard) ? Sim_PassCard(name.c_str(), n[0])
                                                          : Sim_SetTerminalAnswering(name.c_str(), n[0]);
        return ok(sequence, r).frame();
    }
    case Op::Sim_SetEntryCapacity:
        ints(1);
        if (!args.complete())
            return malformed();
        return ok(sequence, Sim_SetEntryCapacity(n[0])).frame();
    case Op::Sim_GetEntry: {
        readName();
        ints(1);
        if (!args.complete())
            return malformed();
        SimEntry e{};
        const int32_t r = Sim_GetEntry(name.c_str(), n[0], &e);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(e.seconds).i32(e.cardCode).u8(e.aux1).u8(e.justification).u8(e.presence)
                .i32(e.orValue).i32(e.code);
        return w.frame();
    }
    case Op::Sim_GetPointers: {
        readName();
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0, c = 0;
        const int32_t r = Sim_GetPointers(name.c_str(), &a, &b, &c);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b).i32(c);
        return w.frame();
    }
    case Op::Sim_GetAdjustment: {
        readName();
        if (!args.complete())
            return malformed();
        int32_t reference = 0;
        int64_t drift = 0;
        const int32_t r = Sim_GetAdjustment(name.c_str(), &reference, &drift);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(reference).i64(drift);
        return w.frame();
    }
    case Op::Sim_PortState: {
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0, c = 0, d = 0;
        const int32_t r = Sim_PortState(&a, &b, &c, &d);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b).i32(c).i32(d);
        return w.frame();
    }
    case Op::Sim_IoWriteCount:
        if (!args.complete())
            return malformed();
        return ok(sequence, Sim_IoWriteCount()).frame();
    case Op::Sim_FailOperation:
    case Op::Sim_CallCount: {
        text = args.text();
        if (op == uint8_t(Op::Sim_FailOperation))
            ints(1);
        if (!args.complete())
            return malformed();
        if (op == uint8_t(Op::Sim_CallCount))
            return ok(sequence, Sim_CallCount(text.c_str())).frame();
        Sim_FailOperation(text.c_str(), n[0]);
        return ok(sequence, 1).frame();
    }
    case Op::Sim_GetConfiguration:
    case Op::Sim_GetEvent: {
        readName();
        const bool event = op == uint8_t(Op::Sim_GetEvent);
        if (event)
            ints(1);
        if (!args.complete())
            return malformed();
        int32_t out[9] = {};
        const int32_t r = event ? Sim_GetEvent(name.c_str(), n[0], out)
                                : Sim_GetConfiguration(name.c_str(), out);
        Writer w = ok(sequence, r);
        if (r)
            for (int i = 0; i < (event ? 6 : 9); ++i)
                w.i32(out[i]);
        return w.frame();
    }
    case Op::Sim_IoWriteText:
    case Op::Sim_GetJustification:
    case Op::Sim_GetMessage:
    case Op::Sim_GetShownMessage:
    case Op::Sim_GetEmployeeName:
    case Op::Sim_GetPcName: {
        const bool hasName = op != uint8_t(Op::Sim_IoWriteText) && op != uint8_t(Op::Sim_GetPcName);
        if (hasName)
            readName();
        const int keys = op == uint8_t(Op::Sim_GetMessage) ? 2
                         : (op == uint8_t(Op::Sim_GetShownMessage) || op == uint8_t(Op::Sim_GetPcName)) ? 0
                                                                                                          : 1;
        ints(keys + 1);
        if (!args.complete())
            return malformed();
        const int32_t size = std::clamp(n.back(), 0, kTextReadLimit);
        std::string buffer(std::size_t(size) + 1, '\0');
        char *buf = buffer.data();
        const char *nm = name.c_str();
        int32_t number = 0, card = 0, last = 0;
        int32_t r = 0;
        switch (static_cast<Op>(op)) {
        case Op::Sim_IoWriteText: r = Sim_IoWriteText(n[0], buf, size); break;
        case Op::Sim_GetJustification: r = Sim_GetJustification(nm, n[0], buf, size); break;
        case Op::Sim_GetMessage: r = Sim_GetMessage(nm, n[0], n[1], buf, size); break;
        case Op::Sim_GetShownMessage: r = Sim_GetShownMessage(nm, &number, buf, size); break;
        case Op::Sim_GetEmployeeName: r = Sim_GetEmployeeName(nm, n[0], buf, size, &card, &last); break;
        default: r = Sim_GetPcName(buf, size); break;
        }
        Writer w = ok(sequence, r);
        if (r) {
            if (op == uint8_t(Op::Sim_GetShownMessage))
                w.i32(number);
            w.text(std::string_view(buf, strnlen(buf, std::size_t(size))));
            if (op == uint8_t(Op::Sim_GetEmployeeName))
                w.i32(card).i32(last);
        }
        return w.frame();
    }
    case Op::Sim_GetConfirmationsTimeout: {
        if (!args.complete())
            return malformed();
        int32_t a = 0, b = 0;
        const int32_t r = Sim_GetConfirmationsTimeout(&a, &b);
        Writer w = ok(sequence, r);
        if (r)
            w.i32(a).i32(b);
        return w.frame();
    }
    }
    return line::failureAnswer(sequence, Status::UnknownOperation);
}

} // namespace velmora::terminal
