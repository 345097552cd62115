battlesim_test_suite(math_tests sim Matrix4Tests.cpp Vector3Tests.cpp RandomFloatTests.cpp PortableMathTests.cpp)
