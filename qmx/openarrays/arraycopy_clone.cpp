// Cloning, converting and reversing copies of the shared arrays.

#include "qmx/openarrays/arraycopy.hpp"
#include "qmx/openarrays/arraycopy_detail.hpp"

namespace qmx {

namespace ac = detail::arraycopy;

int CloneArray(const TDoubleArray& A, TDoubleArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDouble2DArray& A, TDouble2DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDouble3DArray& A, TDouble3DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDouble4DArray& A, TDouble4DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TIntArray& A, TIntArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TInt2DArray& A, TInt2DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TInt3DArray& A, TInt3DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TInt4DArray& A, TInt4DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TBoolArray& A, TBoolArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TBool2DArray& A, TBool2DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TSingleArray& A, TDoubleArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDoubleArray& A, TSingleArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TIntArray& A, TDoubleArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TInt2DArray& A, TDouble2DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TInt3DArray& A, TDouble3DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TInt4DArray& A, TDouble4DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDoubleArray& A, TIntArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDouble2DArray& A, TInt2DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDouble3DArray& A, TInt3DArray& B) { return ac::CloneArray(A, B); }
int CloneArray(const TDouble4DArray& A, TInt4DArray& B) { return ac::CloneArray(A, B); }

int CloneAndReverseArray(const TBoolArray& A, TBoolArray& B) { return ac::CloneAndReverseArray(A, B); }
int CloneAndReverseArray(const TIntArray& A, TIntArray& B) { return ac::CloneAndReverseArray(A, B); }
int CloneAndReverseArray(const TDoubleArray& A, TDoubleArray& B) { return ac::CloneAndReverseArray(A, B); }
int CloneAndReverseArray(const TSingleArray& A, TDoubleArray& B) { return ac::CloneAndReverseArray(A, B); }
int CloneAndReverseArray(const TDoubleArray& A, TSingleArray& B) { return ac::CloneAndReverseArray(A, B); }
int CloneAndReverseArray(const TDoubleArray& A, TIntArray& B) { return ac::CloneAndReverseArray(A, B); }
int CloneAndReverseArray(const TIntArray& A, TDoubleArray& B) { return ac::CloneAndReverseArray(A, B); }

}  // namespace qmx
