// The library's name for the loader, and the buffer protocol of the C
// interface in one place: texts go in as zero-terminated UTF-8 and come out
// of the caller's buffer, retried once with the size the library asks for.
using System;
using System.Text;

namespace Quenzel
{
    internal static partial class NativeMethods
    {
        // quenzel.dll on Windows; Mono maps it to libquenzel.so (see
        // Quenzel.Interop.dll.config), .NET on Linux tries libquenzel.so.
        internal const string Library = "quenzel";

        private const int FirstCapacity = 256;

        internal static readonly UTF8Encoding Utf8 = new UTF8Encoding(false, false);

        /// <summary>A text as the C interface takes it: UTF-8 and a zero.</summary>
        internal static byte[] In(string text)
        {
            if (text == null)
                return null;
            var bytes = new byte[Utf8.GetByteCount(text) + 1];
            Utf8.GetBytes(text, 0, text.Length, bytes, 0);
            return bytes;
        }

        internal static string Decode(byte[] buffer, int length)
        {
            return Utf8.GetString(buffer, 0, Math.Min(length, buffer.Length));
        }

        internal delegate UIntPtr SizedCall(byte[] buffer, UIntPtr capacity);

        /// <summary>The bytes of a text out of a function that returns the size it
        /// needs (0: an invalid argument, given as null).</summary>
        internal static byte[] OutBytes(SizedCall call)
        {
            var buffer = new byte[FirstCapacity];
            for (;;)
            {
                ulong needed = call(buffer, (UIntPtr)buffer.Length).ToUInt64();
                if (needed == 0)
                    return null;
                if (needed <= (ulong)buffer.Length)
                {
                    var text = new byte[needed - 1];
                    Array.Copy(buffer, text, text.Length);
                    return text;
                }
                buffer = new byte[checked((int)needed)];
            }
        }

        internal static string Out(SizedCall call)
        {
            var bytes = OutBytes(call);
            return bytes == null ? "" : Utf8.GetString(bytes);
        }

        internal delegate int CodedCall(byte[] buffer, UIntPtr capacity, out UIntPtr needed);

        /// <summary>A text out of a function that also returns a result code;
        /// the code (never Buffer Too Small) goes to <paramref name="result"/>.</summary>
        internal static byte[] OutBytes(CodedCall call, out int result)
        {
            var buffer = new byte[FirstCapacity];
            for (;;)
            {
                UIntPtr needed;
                result = call(buffer, (UIntPtr)buffer.Length, out needed);
                if (result != (int)Result.BufferTooSmall)
                {
                    var length = (int)Math.Min(needed.ToUInt64(), (ulong)buffer.Length);
                    var text = new byte[Math.Max(length - 1, 0)];
                    Array.Copy(buffer, text, text.Length);
                    return text;
                }
                buffer = new byte[checked((int)needed.ToUInt64())];
            }
        }

        /// <summary>The name of a result code, as the library gives it.</summary>
        internal static string ResultName(int result)
        {
            return Out((buffer, capacity) => quenzel_result_name(result, buffer, capacity));
        }

        /// <summary>Throws for the codes of the C interface itself (negative).</summary>
        internal static int CheckLayer(int result, string operation)
        {
            if (result == (int)Result.OutOfMemory)
                throw new OutOfMemoryException(operation);
            if (result < 0)
                throw new QuenzelException(result, ResultName(result), operation + ": " + ResultName(result));
            return result;
        }
    }
}
