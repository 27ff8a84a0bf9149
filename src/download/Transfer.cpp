#include "download/Transfer.h"

#include "download/FlacCheck.h"
#include "download/PartialFile.h"
#include "net/HttpStream.h"
#include "platform/Files.h"
#include "runtime/Numbers.h"

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

namespace quorvo::download {

namespace {

using Clock = std::chrono::steady_clock;

// Without a limit, received bytes are written in pieces of about this size.
constexpr std::size_t coalescedWriteBytes = 256 * 1024;

// libcurl's receive buffer. The loop below still works in 10240-byte reads
// (quota, reports and the abort test happen between them); a larger socket
// read only saves system calls: with 10240-byte receives an unlimited
// transfer reached 0.7-0.85 of the rate of `curl -o`, with 256 KB 0.95-1.2. With a limit the buffer
// holds about one window's quota (the limit of the moment the transfer
// starts), so that the socket is read at least once a window and a server
// never sees a stalled client.
long receiveBufferBytes(int64_t limitBytes)
{
    constexpr int64_t largest = 256 * 1024;
    if (limitBytes <= 0)
        return largest;
    const auto reads
        = (limitBytes + static_cast<int64_t>(transferReadBytes) - 1) / static_cast<int64_t>(transferReadBytes);
    return static_cast<long>(std::min(largest, reads * static_cast<int64_t>(transferReadBytes)));
}

// The request lines. A range addresses the bytes of the encoded reply, not
// those of the song we keep (a gzip-encoded reply is stored decoded), so a
// ranged request asks for the song itself, unencoded; a fresh request keeps
// offering gzip and deflate and decodes what comes.
Text requestLines(bool ranged)
{
    return Text("Accept: */*\r\nAccept-Language: zh-cn\r\nAccept-Encoding: ") + (ranged ? "identity" : "gzip, deflate")
        + "\r\nUser-Agent: Mozilla/4.0(compatible; MSIE 6.0; Windows NT 5.0; MyIE2; .NET CLR 1.1.4322)";
}

// The bytes of the partial file's tail that a resume without a stored
// identity asks for again and compares before appending anything.
constexpr int64_t headProofBytes = 16 * 1024;

FailureReason because(FailureKind kind, long status = 0)
{
    return FailureReason {kind, status};
}

// One request and its reply. libcurl's deliveries are cut into reads of at
// most 10240 bytes and at most what the limiter grants, and the window
// reports and the abort test run between reads, as in a plain read loop.
// In a window without a limit the reads are gathered into larger writes.
class TransferAttempt {
public:
    enum class Outcome { Completed, Aborted, Failed, RestartFromZero, Corrupt };

    TransferAttempt(PartialFile& file, const Text& finalPath, const TransferIdentity& identity,
                    const ProgressCallback& progress, RateLimiter& limiter, AbortFlag& abortFlag,
                    const TransferSettings& settings)
        : m_file(file)
        , m_finalPath(finalPath)
        , m_identity(identity)
        , m_progress(progress)
        , m_limiter(limiter)
        , m_abortFlag(abortFlag)
        , m_settings(settings)
    { }

    // `offset`: the partial file's bytes to keep (0: start over, replacing
    // whatever it holds only once the new body has caught up with it).
    Outcome run(const Text& url, int64_t offset, const std::optional<PartialIdentity>& stored)
    {
        m_offset = offset;
        m_resumed = offset > 0;
        m_stored = stored;
        // Without a stored identity the partial file may be another song of
        // the same name: its tail is asked for again and must come back the same.
        if (m_resumed && !m_stored) {
            m_proof = readTail(std::min(offset, headProofBytes));
            if (m_proof.empty())
                m_offset = 0;
        }
        const int64_t rangeFrom = m_offset - static_cast<int64_t>(m_proof.size());
        net::RequestPlan plan = net::planStream(url, requestLines(rangeFrom > 0) + "\r\n");
        plan.rangeFrom = rangeFrom;
        // The plan's own agent; the header block's User-Agent line replaces
        // it on the wire, as it does for the URL-level calls it stands for.
        plan.userAgent = transferAgentText();
        net::StreamSettings settings;
        settings.connectTimeout = m_settings.connect;
        settings.receiveBufferBytes = receiveBufferBytes(limitBytesPerWindow(m_limiter.limitKBps()));
        // What the server encoded is stored decoded: the song, never its gzip.
        settings.decodeContent = true;
        net::StreamHandlers handlers;
        handlers.reply = [this](const net::StreamReply& reply) { return beginBody(reply); };
        handlers.body = [this](std::string_view bytes) { return deliver(bytes); };
        handlers.abort = [this] { return m_abortFlag.isRaised(); };
        handlers.idle = [this] { return keepsMoving(Clock::now()); };
        m_stallMark = {Clock::now(), 0};

        const net::StreamResult result = net::streamRequest(plan, settings, handlers);
        const net::StreamEnd end = result.end;
        if (result.error == net::HttpError::Decoding)
            m_failure = because(FailureKind::EncodedReply);
        // What arrived before the end (an abort, a broken connection) stays for a resume.
        if (!m_writeFailed && !writePending())
            diskFailed();
        // An encoded reply's length counts encoded bytes: the song's is what decoded.
        if (end == net::StreamEnd::Completed && m_encoded && m_total == 0)
            m_total = m_done;

        if (m_rangeNotSatisfiable)
            return settleUnsatisfiableRange();
        if (m_restart)
            return Outcome::RestartFromZero;
        if (m_rejected || m_writeFailed || m_stalled)
            return Outcome::Failed;
        if (end == net::StreamEnd::Completed && m_bodyBegun && m_done == m_total) {
            report(m_total, m_total);
            return finish();
        }
        if (m_abortFlag.isRaised())
            return Outcome::Aborted;
        // Read to its end, but not the size promised (a decoded body).
        if (end == net::StreamEnd::Completed && m_bodyBegun && m_failure.empty())
            m_failure = because(FailureKind::DamagedFile);
        if (m_failure.empty())
            m_failure = because(m_bodyBegun ? FailureKind::ServerStopped : FailureKind::NoAnswer);
        return Outcome::Failed;
    }

    [[nodiscard]] const TransferReply& reply() const { return m_reply; }
    [[nodiscard]] const FailureReason& failure() const { return m_failure; }

private:
    // The whole song is in the partial file: check it, then give it its name.
    Outcome finish()
    {
        if (!m_file.settle())
            return diskFailed(), Outcome::Failed;
        if (m_total <= 0) {
            m_failure = because(FailureKind::EmptyReply);
            return Outcome::Failed;
        }
        // Never a name for a file of another size than promised.
        if (m_file.size() != m_total || (m_identity.expectedSize > 0 && m_total != m_identity.expectedSize)) {
            m_failure = because(FailureKind::DamagedFile);
            return m_resumed ? Outcome::RestartFromZero : Outcome::Failed;
        }
        const bool flac = m_settings.checkFlacAudio && isFlacPath(m_finalPath);
        if (flac && (m_check ? m_check->finish(m_total) : checkFlac(m_file.writingPath())) == FlacCheck::Mismatched) {
            m_failure = because(FailureKind::DamagedFile);
            return m_resumed ? Outcome::RestartFromZero : Outcome::Corrupt;
        }
        writeTags();
        if (!m_file.moveTo(m_finalPath))
            return diskFailed(), Outcome::Failed;
        return Outcome::Completed;
    }

    // Into the verified file, before it has its name; a failure costs the
    // tags, never the song.
    void writeTags()
    {
        if (!m_identity.tags)
            return;
        const std::optional<TagFormat> format = tagFormatOf(m_finalPath);
        if (!format) {
            m_reply.tagError = Text("no tags for this kind of file");
            return;
        }
        const TagResult tagged = writeSongTags(m_file.writingPath(), *format, *m_identity.tags);
        if (!tagged.written)
            m_reply.tagError = tagged.error;
    }

    // What we know of the song's size: the link's, else the one stored with
    // the partial file; 0 when neither says.
    [[nodiscard]] int64_t knownSize() const
    {
        if (m_identity.expectedSize > 0)
            return m_identity.expectedSize;
        return m_stored ? m_stored->size : 0;
    }

    // The last `count` bytes of the partial file; empty when they cannot be read.
    [[nodiscard]] std::string readTail(int64_t count) const
    {
        UniqueFd fd(::open(platform::nativePath(m_file.writingPath()).c_str(), O_RDONLY | O_CLOEXEC));
        std::string tail(static_cast<std::size_t>(std::max<int64_t>(count, 0)), '\0');
        if (!fd.valid() || count <= 0
            || ::pread(fd.get(), tail.data(), tail.size(), m_offset - count) != static_cast<ssize_t>(tail.size()))
            return {};
        return tail;
    }

    // A ranged reply that may be appended: a Content-Range starting where we
    // asked, a total that agrees with what we know, a length that reaches
    // exactly to that total, and the same file as before.
    [[nodiscard]] bool isAppendable(const net::StreamReply& reply) const
    {
        const int64_t rangeFrom = m_offset - static_cast<int64_t>(m_proof.size());
        if (!m_contentRange || m_contentRange->first != rangeFrom || m_contentRange->completeLength < 0)
            return false;
        const int64_t total = m_contentRange->completeLength;
        if (reply.contentLength != total - rangeFrom || total < m_offset || (knownSize() > 0 && total != knownSize()))
            return false;
        if (m_stored) {
            const std::optional<Text> tag = reply.headers.get("ETag");
            const std::optional<Text> modified = reply.headers.get("Last-Modified");
            if (!m_stored->entityTag.empty() && tag && *tag != m_stored->entityTag)
                return false;
            if (!m_stored->lastModified.empty() && modified && *modified != m_stored->lastModified)
                return false;
        }
        return true;
    }

    // The first body bytes (or the end of a reply without body): decide
    // whether this reply may go into the partial file at all.
    bool beginBody(const net::StreamReply& reply)
    {
        m_bodyBegun = true;
        const long status = reply.status;
        m_reply.status = status;
        if (status == 429 || status == 503)
            m_reply.retryAfter = net::retryAfterOf(reply.headers);
        const int64_t contentLength = reply.contentLength;
        m_contentRange = reply.contentRange;

        if (status == 416) {
            m_rangeNotSatisfiable = true;
            return reject(because(FailureKind::HttpStatus, status));
        }
        // An error page is not the song; nor is "204 No Content".
        if (status < 200 || status > 299 || status == 204)
            return reject(because(FailureKind::HttpStatus, status));
        m_encoded = !reply.contentEncoding.empty();
        // Without a length there is no telling whether the body is complete;
        // an encoded body (often chunked) ends with its encoding's own end
        // and is held to the link's size.
        if (contentLength < 0 && !m_encoded)
            return reject(because(FailureKind::ServerStopped));

        if (status == 206) {
            // Only an answer to our own range, exactly as asked, is a part of
            // the song; an encoded part counts bytes of the encoding, not of the song.
            if (m_offset == 0 || m_encoded || !isAppendable(reply))
                return restartFromZero();
        } else if (m_offset > 0) {
            // The server ignored the range and sends the whole file.
            m_offset = 0;
            m_proof.clear();
            m_resumed = false;
        }
        // Decoded, the song's size is the link's; without one it is known at the end.
        m_total = m_encoded ? m_identity.expectedSize : m_offset + contentLength - static_cast<int64_t>(m_proof.size());
        // A song is never empty: such a reply replaces nothing and finishes nothing.
        if (m_encoded ? contentLength == 0 : m_total <= 0)
            return reject(because(FailureKind::EmptyReply));
        if (!m_encoded && m_identity.expectedSize > 0 && m_total != m_identity.expectedSize)
            return m_offset > 0 ? restartFromZero() : reject(because(FailureKind::DamagedFile));
        m_encodedLength = m_encoded ? contentLength : 0;
        // Starting over: what the partial file holds stays until the new body has caught up with it.
        if (m_offset == 0 && !m_file.beginReplacement())
            return diskFailed();
        PartialIdentity identity;
        identity.songId = m_identity.songId;
        identity.size = m_total;
        // An encoded reply's ETag names the encoding, not the unencoded bytes a resume asks for.
        identity.entityTag = m_encoded ? Text() : reply.headers.get("ETag").value_or(Text());
        identity.lastModified = reply.headers.get("Last-Modified").value_or(Text());
        // Refused on a file system without extended attributes: a later
        // resume then proves the partial file's tail against the server.
        static_cast<void>(m_file.setIdentity(identity));
        m_done = m_offset;
        m_stallMark = {Clock::now(), m_done};
        if (m_settings.checkFlacAudio && isFlacPath(m_finalPath))
            m_check = std::make_unique<FlacCheckAsWritten>(m_file.writingPath(), m_offset);
        return true;
    }

    bool reject(const FailureReason& reason)
    {
        m_rejected = true;
        m_failure = reason;
        return false;
    }

    bool restartFromZero()
    {
        m_restart = true;
        return false;
    }

    bool diskFailed()
    {
        m_writeFailed = true;
        m_failure = diskFailure(m_file.error());
        return false;
    }

    // The stall rule: a transfer that averages under stallBytesPerSecond over
    // a whole stall time is given up. Time spent holding to the user's own
    // limit is not the server's slowness: each quota wait starts a new mark.
    bool keepsMoving(Clock::time_point now)
    {
        if (now - m_stallMark.at < m_settings.stall)
            return true;
        const auto seconds = std::chrono::duration_cast<std::chrono::milliseconds>(m_settings.stall).count() / 1000;
        if (m_done - m_stallMark.done < std::max<int64_t>(1, seconds) * stallBytesPerSecond) {
            m_stalled = true;
            m_failure = because(FailureKind::ServerStopped);
            return false;
        }
        m_stallMark = {now, m_done};
        return true;
    }

    // Read by read: each takes at most what the limiter grants (waiting for
    // the next window when the quota is used up); a new window is reported
    // before its first read, so that the bytes between two reports are those
    // of one window.
    bool deliver(std::string_view bytes)
    {
        if (m_rejected || m_writeFailed)
            return false;
        while (!bytes.empty()) {
            // The first report comes at once, after the first read. That read
            // takes one byte, so that the report after it shows a whole
            // window's bytes, not the window less the first read.
            const bool first = m_window == 0;
            const std::size_t wanted = first ? 1 : std::min(bytes.size(), transferReadBytes - m_readFill);
            const RateLimiter::Grant grant = m_limiter.acquire(static_cast<int64_t>(wanted), m_abortFlag);
            if (grant.bytes <= 0)
                return false;
            // Time spent holding to the user's own limit is not the server's slowness.
            if (grant.waited)
                m_stallMark = {Clock::now(), m_done};
            if (!first && grant.window != m_window && !reportWindow(grant.window))
                return false;
            const auto piece = static_cast<std::size_t>(grant.bytes);
            m_readFill = (m_readFill + piece) % transferReadBytes;
            if (!take(bytes.substr(0, piece), grant.limited))
                return false;
            bytes.remove_prefix(piece);
            if (first && !reportWindow(grant.window))
                return false;
            if (m_abortFlag.isRaised() || !keepsMoving(Clock::now()))
                return false;
        }
        return true;
    }

    // What the file holds before the reads of `window`, written out and reported.
    bool reportWindow(uint64_t window)
    {
        if (!writePending())
            return diskFailed();
        m_window = window;
        report(m_done, m_total);
        return true;
    }

    // One read's bytes: the tail asked for again is compared, the rest written.
    bool take(std::string_view bytes, bool limited)
    {
        // The tail asked for again: it must be what the partial file already holds.
        if (!m_proof.empty()) {
            const std::size_t compared = std::min(bytes.size(), m_proof.size() - m_proofSeen);
            if (bytes.substr(0, compared) != std::string_view(m_proof).substr(m_proofSeen, compared))
                return restartFromZero();
            m_proofSeen += compared;
            bytes.remove_prefix(compared);
            if (m_proofSeen < m_proof.size())
                return true;
            m_proof.clear();
        }
        if (bytes.empty())
            return true;
        // No limit: gathered into writes of coalescedWriteBytes the disk sees
        // a sixteenth of the system calls. The bytes still gathered are not in
        // the file yet: `m_done` and the FLAC check only count what was
        // written, and each window writes them out before it is reported.
        if (!limited) {
            if (m_pending.capacity() < coalescedWriteBytes)
                m_pending.reserve(coalescedWriteBytes + 64 * 1024);
            m_pending.append(bytes);
            return m_pending.size() < coalescedWriteBytes || writePending() || diskFailed();
        }
        if (!writePending() || !m_file.write(bytes))
            return diskFailed();
        m_done += static_cast<int64_t>(bytes.size());
        if (m_check)
            m_check->grew(m_done);
        return true;
    }

    bool writePending()
    {
        if (m_pending.empty())
            return true;
        if (!m_file.write(m_pending))
            return false;
        m_done += static_cast<int64_t>(m_pending.size());
        m_pending.clear();
        if (m_check)
            m_check->grew(m_done);
        return true;
    }

    void report(int64_t done, int64_t total) const
    {
        // An encoded reply of unknown size: its encoded length is the best guess until the end.
        if (total <= 0 && m_encoded)
            total = std::max(done, m_encodedLength);
        if (m_progress)
            m_progress(done, total);
    }

    // 416: the range starts at or beyond the end of the file. When the server
    // says the file is exactly as long as the partial file (and as long as we
    // know the song to be), the partial file is the whole song; otherwise it
    // cannot be resumed and starts over.
    Outcome settleUnsatisfiableRange()
    {
        const int64_t length = m_contentRange ? m_contentRange->completeLength : -1;
        if (m_offset > 0 && length == m_offset && (knownSize() == 0 || knownSize() == m_offset)) {
            m_total = m_offset;
            report(m_offset, m_offset);
            return finish();
        }
        return m_offset > 0 ? Outcome::RestartFromZero : Outcome::Failed;
    }

    struct StallMark {
        Clock::time_point at;
        int64_t done = 0;
    };

    PartialFile& m_file;
    const Text& m_finalPath;
    const TransferIdentity& m_identity;
    const ProgressCallback& m_progress;
    RateLimiter& m_limiter;
    AbortFlag& m_abortFlag;
    const TransferSettings& m_settings;

    // Received without a limit and not written yet.
    std::string m_pending;
    // Decodes a FLAC while it is written; stopped with the attempt.
    std::unique_ptr<FlacCheckAsWritten> m_check;
    TransferReply m_reply;
    FailureReason m_failure;
    std::optional<PartialIdentity> m_stored;
    // The partial file's tail, asked for again to prove the resume, and how
    // much of it the reply has matched so far.
    std::string m_proof;
    std::size_t m_proofSeen = 0;
    std::optional<net::ContentRange> m_contentRange;
    StallMark m_stallMark;
    int64_t m_offset = 0;
    int64_t m_done = 0;
    int64_t m_total = 0;
    std::size_t m_readFill = 0;
    // The limiter's window of the last report (0: none yet, the first read reports at once).
    uint64_t m_window = 0;
    int64_t m_encodedLength = 0;
    bool m_encoded = false;  // libcurl decodes the reply's Content-Encoding
    bool m_resumed = false;
    bool m_bodyBegun = false;
    bool m_rejected = false;
    bool m_restart = false;
    bool m_rangeNotSatisfiable = false;
    bool m_writeFailed = false;
    bool m_stalled = false;
};

// A transfer's time with the limiter, from its start to its end.
class LimiterUse {
public:
    explicit LimiterUse(RateLimiter& limiter)
        : m_limiter(limiter)
    {
        m_limiter.join();
    }
    ~LimiterUse() { m_limiter.leave(); }
    LimiterUse(const LimiterUse&) = delete;
    LimiterUse& operator=(const LimiterUse&) = delete;

private:
    RateLimiter& m_limiter;
};

// The offset to resume from, and what the partial file says it belongs to.
// A partial file of another song (or of another size of this one) is not
// resumed: the song starts over, replacing it.
int64_t resumeOffset(const PartialFile& file, const TransferIdentity& identity, std::optional<PartialIdentity>& stored)
{
    stored.reset();
    const int64_t size = file.size();
    if (size <= 0)
        return 0;
    stored = file.identity().identity;
    if (!stored)
        return size;
    const bool otherSong = !identity.songId.empty() && stored->songId != identity.songId;
    const bool otherSize = identity.expectedSize > 0 && stored->size > 0 && stored->size != identity.expectedSize;
    if (otherSong || otherSize || (stored->size > 0 && size > stored->size)) {
        stored.reset();
        return 0;
    }
    return size;
}

}  // namespace

Text transferHeaderBlock(int64_t resumeOffset)
{
    Text block = requestLines(resumeOffset > 0);
    if (resumeOffset > 0)
        block += "\r\n" + net::openRangeLine(resumeOffset);
    return block;
}

Text transferAgentText()
{
    const auto milliseconds
        = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count();
    return "Agent" + numbers::fromInteger(static_cast<uint32_t>(milliseconds));
}

TransferResult transferFile(const Text& url, const Text& finalPath, const ProgressCallback& progress, SpeedLimit limit,
                            AbortFlag& abortFlag, const TransferSettings& settings, const TransferIdentity& identity,
                            TransferReply* reply)
{
    const service::SongPaths target {finalPath, Text(), service::partialPathOf(finalPath)};
    return transferFile(url, target, progress, std::move(limit), abortFlag, settings, identity, reply);
}

TransferResult transferFile(const Text& url, const service::SongPaths& target, const ProgressCallback& progress,
                            SpeedLimit limit, AbortFlag& abortFlag, const TransferSettings& settings,
                            const TransferIdentity& identity, TransferReply* reply)
{
    RateLimiter& limiter = limit.limiter();
    const LimiterUse use(limiter);
    TransferReply last;
    TransferResult result = TransferResult::Failed;

    // The partial file is ours alone from here until it is closed.
    PartialFile file;
    const PartialOpen opened = file.open(target.partial);
    if (opened == PartialOpen::Busy)
        last.failure = FailureReason {FailureKind::BusyElsewhere};
    else if (opened == PartialOpen::Failed)
        last.failure = diskFailure(file.error());
    const int64_t heldBefore = std::max<int64_t>(0, file.size());

    // A second attempt, from byte 0, only when the first showed that the
    // partial file or the reply cannot be trusted.
    for (int attempt = 0; opened == PartialOpen::Opened && attempt < 2; ++attempt) {
        std::optional<PartialIdentity> stored;
        const int64_t offset = attempt == 0 ? resumeOffset(file, identity, stored) : 0;
        TransferAttempt transfer(file, target.song, identity, progress, limiter, abortFlag, settings);
        const TransferAttempt::Outcome outcome = transfer.run(url, offset, stored);
        last = transfer.reply();
        last.failure = transfer.failure();
        if (outcome == TransferAttempt::Outcome::RestartFromZero && !abortFlag.isRaised()) {
            if (attempt == 0)
                continue;
            if (last.failure.empty())
                last.failure = FailureReason {FailureKind::DamagedFile};
            result = TransferResult::Failed;
            break;
        }
        result = outcome == TransferAttempt::Outcome::Completed ? TransferResult::Completed
            : outcome == TransferAttempt::Outcome::Aborted      ? TransferResult::Aborted
            : outcome == TransferAttempt::Outcome::Corrupt      ? TransferResult::Corrupt
                                                                : TransferResult::Failed;
        break;
    }
    last.advanced = result != TransferResult::Completed && file.size() > heldBefore;
    if (!file.close() && result == TransferResult::Failed && last.failure.empty())
        last.failure = diskFailure(file.error());
    // The acknowledgement the stopper waits for; the partial file is closed by now.
    if (abortFlag.isRaised()) {
        abortFlag.clear();
        if (result == TransferResult::Failed)
            result = TransferResult::Aborted;
    }
    if (result == TransferResult::Completed || result == TransferResult::Aborted)
        last.failure = {};
    if (reply)
        *reply = last;
    return result;
}

}  // namespace quorvo::download
