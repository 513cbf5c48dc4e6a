// The handles the host owns. The runtime frees them exactly once, also when
// Dispose is never called, and never while a call that uses them runs.
using System;
using System.Runtime.InteropServices;

namespace Quenzel
{
    internal abstract class OwnedHandle : SafeHandle
    {
        protected OwnedHandle() : base(IntPtr.Zero, true) { }

        public override bool IsInvalid { get { return handle == IntPtr.Zero; } }

        internal void Take(IntPtr value, string operation)
        {
            if (value == IntPtr.Zero)
                throw new OutOfMemoryException(operation);
            SetHandle(value);
        }

        /// <summary>Runs a call with the handle held, so that a Dispose on another
        /// thread cannot free it underneath.</summary>
        internal T Use<T>(Func<IntPtr, T> call)
        {
            bool added = false;
            try
            {
                DangerousAddRef(ref added);
                return call(handle);
            }
            catch (ObjectDisposedException)
            {
                if (added)
                    throw;
                throw new ObjectDisposedException(GetType().Name.Replace("Handle", "").ToLowerInvariant(),
                                                  "the object was disposed");
            }
            finally
            {
                if (added)
                    DangerousRelease();
            }
        }
    }

    internal sealed class CatalogueHandle : OwnedHandle
    {
        protected override bool ReleaseHandle()
        {
            NativeMethods.quenzel_catalogue_free(handle);
            return true;
        }
    }

    internal sealed class RecordHandle : OwnedHandle
    {
        protected override bool ReleaseHandle()
        {
            NativeMethods.quenzel_record_free(handle);
            return true;
        }
    }
}
