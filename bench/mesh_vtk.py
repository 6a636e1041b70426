"""VTK on the label volume of bench/mesh.cpp, one thread, for comparison with its figures.

Run with /usr/bin/python3 (Debian's python3-vtk9). Prints the best of three runs of
vtkMarchingCubes, vtkFlyingEdges3D and vtkSmoothPolyDataFilter (5 iterations on the
marching-cubes surface), a plain numpy pass over the voxels, and the peak memory.
"""
import resource
import time

import numpy as np
import vtk
from vtk.util import numpy_support

NX, NY, NZ = 512, 1024, 128


def make_labels():
    v = np.zeros((NZ, NY, NX), dtype=np.uint16)
    tubes = [(300, 10, 40), (320, 20, 100), (340, 30, 70), (310, 40, 20), (330, 50, 110), (350, 60, 55)]
    for y0, drift, z0 in tubes:
        for x in range(NX):
            yc = y0 + ((x % 128) - 64) * ((x % 128) - 64) // 64
            zc = z0 + x * drift // 512
            for z in range(max(zc - 2, 0), min(zc + 2, NZ - 1) + 1):
                for y in range(yc - 8, yc + 9):
                    if (y - yc) ** 2 + 16 * (z - zc) ** 2 <= 64:
                        v[z, y, x] = 255
    blobs = [(100, 400, 30, 40, 60, 10), (250, 450, 64, 30, 80, 12), (400, 380, 90, 45, 50, 9),
             (150, 600, 100, 35, 70, 11), (420, 550, 25, 38, 65, 10)]
    for cx, cy, cz, rx, ry, rz in blobs:
        z, y, x = np.mgrid[cz - rz:cz + rz + 1, cy - ry:cy + ry + 1, cx - rx:cx + rx + 1].astype(np.int64)
        inside = ((x - cx) ** 2 * ry * ry * rz * rz + (y - cy) ** 2 * rx * rx * rz * rz +
                  (z - cz) ** 2 * rx * rx * ry * ry) <= rx * rx * ry * ry * rz * rz
        v[cz - rz:cz + rz + 1, cy - ry:cy + ry + 1, cx - rx:cx + rx + 1][inside] = 255
    return v


def best_of_three(run):
    times = []
    for _ in range(3):
        start = time.perf_counter()
        result = run()
        times.append(time.perf_counter() - start)
    return min(times) * 1000.0, result


def surface(filter_class, image):
    f = filter_class()
    f.SetInputData(image)
    f.SetValue(0, 127.5)
    f.ComputeNormalsOff()
    f.ComputeGradientsOff()
    f.ComputeScalarsOff()
    f.Update()
    return f.GetOutput()


def main():
    vtk.vtkSMPTools.Initialize(1)
    labels = make_labels()
    print("inside voxels %d" % int((labels >= 128).sum()))
    image = vtk.vtkImageData()
    image.SetDimensions(NX, NY, NZ)
    image.GetPointData().SetScalars(
        numpy_support.numpy_to_vtk(labels.ravel(), deep=1, array_type=vtk.VTK_UNSIGNED_SHORT))

    ms, _ = best_of_three(lambda: int((labels >= 128).sum()))
    print("numpy plain pass           %8.1f ms" % ms)
    ms, mc = best_of_three(lambda: surface(vtk.vtkMarchingCubes, image))
    print("vtkMarchingCubes           %8.1f ms  %d triangles, %d points" % (ms, mc.GetNumberOfPolys(), mc.GetNumberOfPoints()))
    ms, fe = best_of_three(lambda: surface(vtk.vtkFlyingEdges3D, image))
    print("vtkFlyingEdges3D           %8.1f ms  %d triangles, %d points" % (ms, fe.GetNumberOfPolys(), fe.GetNumberOfPoints()))

    def smooth():
        s = vtk.vtkSmoothPolyDataFilter()
        s.SetInputData(mc)
        s.SetNumberOfIterations(5)
        s.Update()
        return s.GetOutput()

    ms, _ = best_of_three(smooth)
    print("vtkSmoothPolyDataFilter x5 %8.1f ms" % ms)
    print("peak memory                %8.1f MB" % (resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024.0))


main()
