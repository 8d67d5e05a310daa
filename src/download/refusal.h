#pragma once

#include <QMetaType>
#include <QObject>
#include <QString>

// Why a download stopped short of the archive without a network failure: the answer is not the archive,
// the file cannot be written, or there is no folder to write it in. A kind and its facts; the window
// words it, next to the network failures (`TransferFailure`).
struct Refusal
{
    Q_GADGET

public:
    enum class Kind {
        None,
        // The answer is not the whole archive.
        NoData, // a 204 or 205: no content at all
        Empty, // the archive on the server has no bytes, however the server tells it
        OtherSuccess, // a 2xx other than 200 and 206: `status`
        Encoded, // `serverText` the codings, e.g. "gzip"
        WebPage,
        BadLength, // a Content-Length that cannot frame the body: `serverText`
        PartOnly, // a 206 for a range other than the whole file: `serverText` the Content-Range
        PartWithoutRange, // a 206 that says neither which part nor that it is in parts
        Multipart, // a multipart/byteranges answer: the archive wrapped in parts
        UnknownTotal, // "bytes 0-N/*": `serverText`
        TwoSizes, // Content-Length `size`, Content-Range's total `otherSize`
        UnreadableDigest,
        MoreThanAnnounced, // `size` the size announced
        DigestMismatch,
        // The file cannot be written, or not taken as the archive.
        FolderUnknown, // the destination is no absolute path
        Link, // a link stands at the .part file's name
        NotRegularFile, // a FIFO, a device or a socket stands there
        OtherUsersFile,
        HardLinked, // the file there has other names as well
        BeingWritten, // another copy of the program holds it
        ChangedAtOpen, // replaced between the look and the open
        ChangedWhileWritten, // cut short while being hashed
        ChangedSize, // holds `size` bytes, not the `otherSize` written
        Replaced,
        GivenAnotherName,
        NotConfirmed, // renamed, but the folder could not be synced: `systemReason`
        NoRoom, // the archive needs `size`; the disk of the folder `path` has `otherSize` free
        TooLarge, // the file system of the folder `path` cannot hold a file of `size` at all
        System, // a system call failed: `systemReason`
        // There is no folder to save in.
        NoHome,
        DownloadFolderRelative, // set so in `path` (user-dirs.dirs)
        DownloadFolderUnspellable, // not valid in the file-name encoding, set in `path`
        ConfigNotRegularFile, // `path` is a FIFO, a folder, a device...
        FolderNotMade, // `path`, for `systemReason`
    };
    Q_ENUM(Kind)

    Kind kind = Kind::None;
    qint64 size = 0;
    qint64 otherSize = 0;
    int status = 0;
    QString serverText{}; // as the server sent it: plain text only once shown
    QString systemReason{}; // the system's own words, e.g. "No space left on device"
    QString path{}; // the file the refusal names, where it is not the one written

    bool refused() const { return kind != Kind::None; }
    bool operator==(const Refusal &) const = default;
    // What a system call's `error` means.
    static Refusal system(int error);
};

Q_DECLARE_METATYPE(Refusal)
