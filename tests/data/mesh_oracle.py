"""Independent answers for the mesh tests, from VTK and numpy.

  mc VOLUME NX NY NZ ISO   triangles of vtkMarchingCubes over a little-endian uint16
                           volume (x fastest), one line of nine coordinates each
  read FILE                the cache file as vtkPolyDataReader reads it: "points N",
                           N lines of coordinates, "triangles M", M lines of indices
  smooth FILE PASSES       the file's points after PASSES rounds of moving each point to
                           the mean of itself and its distinct neighbours
"""
import sys

import numpy as np
import vtk
from vtk.util import numpy_support


def read_polydata(path):
    reader = vtk.vtkPolyDataReader()
    reader.SetFileName(path)
    reader.Update()
    if reader.GetErrorCode() != 0:
        sys.exit("vtkPolyDataReader failed")
    return reader.GetOutput()


def points_of(poly):
    if poly.GetNumberOfPoints() == 0:
        return np.zeros((0, 3))
    return numpy_support.vtk_to_numpy(poly.GetPoints().GetData()).astype(np.float64)


def triangles_of(poly):
    cells = []
    ids = vtk.vtkIdList()
    polys = poly.GetPolys()
    polys.InitTraversal()
    while polys.GetNextCell(ids):
        cells.append([ids.GetId(j) for j in range(ids.GetNumberOfIds())])
    return cells


def marching_cubes(path, nx, ny, nz, iso):
    voxels = np.fromfile(path, dtype="<u2")
    image = vtk.vtkImageData()
    image.SetDimensions(nx, ny, nz)
    image.GetPointData().SetScalars(
        numpy_support.numpy_to_vtk(voxels, deep=1, array_type=vtk.VTK_UNSIGNED_SHORT))
    mc = vtk.vtkMarchingCubes()
    mc.SetInputData(image)
    mc.SetValue(0, iso)
    mc.ComputeNormalsOff()
    mc.ComputeGradientsOff()
    mc.ComputeScalarsOff()
    mc.Update()
    poly = mc.GetOutput()
    points = points_of(poly)
    for cell in triangles_of(poly):
        print(" ".join("%.6f" % v for i in cell for v in points[i]))


def smooth(path, passes):
    poly = read_polydata(path)
    points = points_of(poly)
    neighbours = [set() for _ in range(len(points))]
    for a, b, c in triangles_of(poly):
        neighbours[a].update((b, c))
        neighbours[b].update((c, a))
        neighbours[c].update((a, b))
    for _ in range(passes):
        start = points.copy()
        for v, near in enumerate(neighbours):
            points[v] = (start[v] + start[list(near)].sum(axis=0)) / (len(near) + 1)
    for p in points:
        print("%.6f %.6f %.6f" % tuple(p))


def main():
    mode = sys.argv[1]
    if mode == "mc":
        marching_cubes(sys.argv[2], *map(int, sys.argv[3:6]), float(sys.argv[6]))
    elif mode == "read":
        poly = read_polydata(sys.argv[2])
        points = points_of(poly)
        print("points", len(points))
        for p in points:
            print("%.6f %.6f %.6f" % tuple(p))
        cells = triangles_of(poly)
        print("triangles", len(cells))
        for cell in cells:
            print(" ".join(map(str, cell)))
    elif mode == "smooth":
        smooth(sys.argv[2], int(sys.argv[3]))


main()
